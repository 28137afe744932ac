#include "app/qt_text_metrics.h"

#include <algorithm>
#include <cmath>

#include <QFontMetricsF>
#include <QTextLayout>
#include <QTextOption>

#include "app/fonts.h"
#include "model/editor.h"

namespace qm {

QStringList labelLines(const QFont& font, const QString& caption, qreal wrapWidthPx) {
    const bool breaks = caption.contains(QLatin1Char('\n'));
    if (!breaks && wrapWidthPx <= 0) return {caption};
    QString text = caption;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QStringList paragraphs = text.split(QLatin1Char('\n'));
    if (wrapWidthPx <= 0) return paragraphs;

    QStringList lines;
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (const QString& paragraph : paragraphs) {
        if (paragraph.isEmpty()) {
            lines << QString();
            continue;
        }
        QTextLayout layout(paragraph, font);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(wrapWidthPx);
            // A line narrower than its first character still takes that character,
            // so every line holds at least one.
            lines << paragraph.mid(line.textStart(), line.textLength());
        }
        layout.endLayout();
    }
    return lines;
}

QSizeF linesExtent(const QFont& font, const QStringList& lines) {
    const QFontMetricsF fm(font);
    qreal width = 0;
    for (const QString& line : lines) width = std::max(width, fm.horizontalAdvance(line));
    const auto n = std::max<qsizetype>(lines.size(), 1);
    const qreal height = fm.height() + static_cast<qreal>(n - 1) * fm.lineSpacing();
    return {std::ceil(width), std::ceil(height)};
}

TextExtent QtTextMetrics::measure(std::string_view utf8, std::string_view fontName, float pointSize,
                                  float wrapWidth) const {
    const QFont& font = labelFont(fontName, pointSize);
    const QString caption = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    const qreal wrapPx = wrapWidth > 0 ? static_cast<qreal>(wrapWidth) / kTwipsPerPixel : 0;
    const QSizeF px = linesExtent(font, labelLines(font, caption, wrapPx));
    const float height = static_cast<float>(px.height()) * kTwipsPerPixel;
    if (wrapWidth > 0) return {wrapWidth, height};
    return {static_cast<float>(px.width()) * kTwipsPerPixel, height};
}

}  // namespace qm
