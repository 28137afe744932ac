// Picture files of a canvas: BMP and PNG images, SVG and PDF vector pictures with
// the text kept as text, all painted by the canvas picture routines. qmptool's
// render command and the editors' image exports take their bytes from here.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <QByteArray>
#include <QRect>
#include <QSize>

#include "io/result.h"
#include "model/document.h"

class QImage;
class QPainter;

namespace qm {

enum class PictureFormat { Bmp, Png, Svg, Pdf };

// The format a file name asks for by its extension, in any letter case.
std::optional<PictureFormat> pictureFormatFor(std::string_view path);
bool isRaster(PictureFormat format);

// Image pixels per canvas pixel; 8 already makes a picture of about 150 MB.
inline constexpr int kMaxScale = 8;

// A 24-bit uncompressed BMP file of the image; empty when encoding failed.
QByteArray encodeBmp24(const QImage& image);

// The bytes of a picture of the document on a canvas of `size` logical pixels,
// `scale` pixels per logical pixel for the raster formats. A BMP is the canvas as
// its window shows it, frame included; PNG, SVG and PDF show the drawing alone.
// The formats that keep a title carry the drawing's name.
Result<std::string> encodePicture(const Document& doc, QSize size, PictureFormat format, int scale);

// The same for any picture of `size` logical pixels that `paint` paints over
// QRect(QPoint(0, 0), size), such as the picture of a change.
Result<std::string> encodePainted(const std::function<void(QPainter&)>& paint, QSize size, PictureFormat format,
                                  int scale, const std::string& title);

// The same of the drawing alone, without the canvas's frame: the part `area` of the
// canvas's client area (logical pixels).
Result<std::string> encodeDrawingPicture(const Document& doc, const QRect& area, PictureFormat format, int scale,
                                         const std::string& title);

}  // namespace qm
