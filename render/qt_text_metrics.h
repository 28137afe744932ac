// Label text as Qt lays it out: the lines a caption breaks into and the size of
// the block they make. The painter draws exactly these lines, so a label's size
// in the document always matches what is on the canvas.
#pragma once
#include <limits>

#include <QFont>
#include <QString>
#include <QStringList>

#include "model/text_metrics.h"

namespace qm {

// The lines of a caption in a font. A line break in the caption ("\n" or "\r\n")
// always starts a new line; with wrapWidthPx > 0 lines are also broken to fit that
// width, between words where possible and between any two characters otherwise.
// Takes time in proportion to the caption's length; with maxLines, only that many
// first lines are laid out.
QStringList labelLines(const QFont& font, const QString& caption, qreal wrapWidthPx,
                       qsizetype maxLines = std::numeric_limits<qsizetype>::max());

// Size in logical pixels of the block of lines, rounded up to whole pixels.
QSizeF linesExtent(const QFont& font, const QStringList& lines);
// Only its height, for a number of lines.
qreal linesHeight(const QFont& font, qsizetype lines);

// TextMetrics for the core, measuring with the faces labelFont() picks.
// Needs a QGuiApplication.
class QtTextMetrics : public TextMetrics {
public:
    TextExtent measure(std::string_view utf8, std::string_view fontName, float pointSize,
                       float wrapWidth) const override;
};

}  // namespace qm
