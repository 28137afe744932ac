// Pictures of a document as its editor's canvas shows it. The canvas widget paints
// them itself, frame included, so a picture matches the screen and the editor's
// BMP export pixel for pixel. Raster pictures can have a higher pixel density;
// SVG and PDF keep lines and text as vectors and text.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include <QImage>
#include <QSize>

#include "io/result.h"
#include "model/editor.h"

namespace qm::cli {

enum class PictureFormat { Bmp, Png, Svg, Pdf };

// The format a file name asks for by its extension, in any letter case.
std::optional<PictureFormat> pictureFormatFor(std::string_view path);
bool isRaster(PictureFormat format);

// Image pixels per canvas pixel; 8 already makes a picture of about 150 MB.
inline constexpr int kMaxScale = 8;

// The outer size of the editor's canvas in logical pixels, as its window lays it out.
QSize canvasSize(const Editor& ed);

// The editor's canvas showing its document, `scale` image pixels per logical
// pixel. At scale 1 this is the image of the editor's BMP export. Null when the
// image cannot be allocated.
QImage canvasImage(const Editor& ed, int scale);

// The bytes of a picture file; `title` goes into the formats that keep one.
Result<std::string> encodePicture(const Editor& ed, PictureFormat format, int scale, const std::string& title);

// Writes the picture to `path` atomically: a failure leaves no partial file.
Status writePicture(const Editor& ed, const std::string& path, PictureFormat format, int scale);

}  // namespace qm::cli
