#include "app/qt_text_metrics.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include <QFontMetricsF>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <QTextOption>

#include "app/fonts.h"
#include "model/editor.h"

namespace qm {

namespace {

// Qt lays out a line breaking between words and, when the line's first word alone
// is wider than the line, lays it out again breaking anywhere. Finding that out
// takes the whole word, so with a word of thousands of characters every line cost
// the rest of the word. A first word that is plainly too wide is laid out breaking
// anywhere at once: the line Qt would have come to, found in time for its length.
class LongWords {
public:
    LongWords(const QFont& font, const QString& text, qreal width) : fm_(font), text_(text), width_(width) {
        QTextBoundaryFinder finder(QTextBoundaryFinder::Line, text);
        for (qsizetype p = finder.toNextBoundary(); p > 0; p = finder.toNextBoundary()) breaks_.push_back(p);
    }

    // For lines starting at ever later positions.
    bool tooWide(qsizetype start) {
        while (next_ < breaks_.size() && breaks_[next_] <= start) ++next_;
        const qsizetype wordEnd = next_ < breaks_.size() ? breaks_[next_] : text_.size();
        // Short words cost little; measure only long ones, and only as far as needed.
        constexpr qsizetype kShort = 64;
        if (wordEnd - start <= kShort) return false;
        for (qsizetype n = 4;; n *= 2) {
            qsizetype end = std::min(start + n, wordEnd);
            for (qsizetype k = start; k < end; ++k) {
                if (text_.at(k).isSpace()) {
                    end = k;
                    break;
                }
            }
            // A pixel to spare: what follows in the word can only make it wider.
            if (fm_.horizontalAdvance(text_.mid(start, end - start)) > width_ + 1) return true;
            if (end < start + n) return false;  // the whole word measured
        }
    }

private:
    QFontMetricsF fm_;
    const QString& text_;
    qreal width_;
    std::vector<qsizetype> breaks_;  // where a line may break, ascending
    size_t next_ = 0;
};

}  // namespace

QStringList labelLines(const QFont& font, const QString& caption, qreal wrapWidthPx, qsizetype maxLines) {
    const bool breaks = caption.contains(QLatin1Char('\n'));
    if (!breaks && wrapWidthPx <= 0) return {caption};
    QString text = caption;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList paragraphs = text.split(QLatin1Char('\n'));
    if (wrapWidthPx <= 0) {
        if (paragraphs.size() > maxLines) paragraphs.resize(maxLines);
        return paragraphs;
    }

    QStringList lines;
    QTextOption words, anywhere;
    words.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    anywhere.setWrapMode(QTextOption::WrapAnywhere);
    for (const QString& paragraph : paragraphs) {
        if (lines.size() >= maxLines) break;
        if (paragraph.isEmpty()) {
            lines << QString();
            continue;
        }
        LongWords longWords(font, paragraph, wrapWidthPx);
        QTextLayout layout(paragraph, font);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid() && lines.size() < maxLines;
             line = layout.createLine()) {
            layout.setTextOption(longWords.tooWide(line.textStart()) ? anywhere : words);
            line.setLineWidth(wrapWidthPx);
            // A line narrower than its first character still takes that character,
            // so every line holds at least one.
            lines << paragraph.mid(line.textStart(), line.textLength());
        }
        layout.endLayout();
    }
    return lines;
}

qreal linesHeight(const QFont& font, qsizetype lines) {
    const QFontMetricsF fm(font);
    const auto n = std::max<qsizetype>(lines, 1);
    return std::ceil(fm.height() + static_cast<qreal>(n - 1) * fm.lineSpacing());
}

QSizeF linesExtent(const QFont& font, const QStringList& lines) {
    const QFontMetricsF fm(font);
    qreal width = 0;
    for (const QString& line : lines) width = std::max(width, fm.horizontalAdvance(line));
    return {std::ceil(width), linesHeight(font, lines.size())};
}

TextExtent QtTextMetrics::measure(std::string_view utf8, std::string_view fontName, float pointSize,
                                  float wrapWidth) const {
    const QFont& font = labelFont(fontName, pointSize);
    const QString caption = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    const qreal wrapPx = wrapWidth > 0 ? static_cast<qreal>(wrapWidth) / kTwipsPerPixel : 0;
    const QStringList lines = labelLines(font, caption, wrapPx);
    if (wrapWidth > 0) {
        // The width is the wrap width; only the number of lines is needed.
        return {wrapWidth, static_cast<float>(linesHeight(font, lines.size())) * kTwipsPerPixel};
    }
    const QSizeF px = linesExtent(font, lines);
    return {static_cast<float>(px.width()) * kTwipsPerPixel, static_cast<float>(px.height()) * kTwipsPerPixel};
}

}  // namespace qm
