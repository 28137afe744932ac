// Lines of label text drawn fast and always alike. Each line is laid out once per
// font and text; on a raster image, where a drawing repeats its captions (every
// new label starts with the same one), a line seen before is stamped from a
// picture of it made once, which costs a fraction of drawing its glyphs again.
// A stamp lays down exactly the pixels drawing the line would: that is checked
// once for each font, colour and pixel ratio, and lines are drawn when it fails.
#pragma once
#include <string_view>

#include <QFont>
#include <QPointF>
#include <QString>

class QPainter;

namespace qm {

// Draws `text` with its top-left corner at `topLeft`, in `font` (which must live
// as long as the program, as labelFont's do) and the painter's pen colour.
void drawTextLine(QPainter& painter, const QPointF& topLeft, const QFont& font, const QString& text);
// The same for a line held as UTF-8, which is converted only when it is drawn
// rather than stamped.
void drawTextLine(QPainter& painter, const QPointF& topLeft, const QFont& font, std::string_view utf8);

}  // namespace qm
