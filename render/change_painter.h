// The picture of what changed between two versions of a chart: the newer chart at
// true size in the canvas's frame, added elements in green, deleted ones drawn
// from the older version in red, changed ones in orange over their old outline
// dotted, and a small legend. One routine on any QPainter serves qmptool diff -o
// (PNG, SVG, PDF) and the editor's compare window.
#pragma once
#include <string>

#include <QColor>
#include <QSize>

#include "render/picture_encoders.h"
#include "edit/compare_words.h"

class QPainter;

namespace qm {

inline const QColor kAddedColour{0, 150, 0};
inline const QColor kDeletedColour{220, 0, 0};
inline const QColor kChangedColour{255, 128, 0};

// Paints the picture over QRect(QPoint(0, 0), size) as paintCanvasPicture paints
// the canvas; `c` is compareDrawings(older, newer).
void paintChangePicture(QPainter& painter, const Document& older, const Document& newer, const Comparison& c,
                        QSize size);

// The picture as the bytes of a PNG, SVG or PDF file, at one pixel per canvas pixel.
Result<std::string> encodeChangePicture(const Document& older, const Document& newer, const Comparison& c,
                                        QSize size, PictureFormat format, const std::string& title);

}  // namespace qm
