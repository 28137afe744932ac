#include "render/qt_text_metrics.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include <QFontMetricsF>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <QTextOption>

#include "model/editor.h"
#include "render/fonts.h"

namespace qm {

namespace {

// Qt lays out a line breaking between words and, when the line's first word alone
// is wider than the line, lays it out again breaking anywhere. Finding that out
// takes the whole word, so with a word of thousands of characters every line cost
// the rest of the word. A line that starts with a long word is therefore laid out
// breaking anywhere first, which costs only the line: when that line ends well
// inside the word, the word is wider than the line and this is the line Qt comes
// to; otherwise the line is laid out again at word boundaries, as Qt does.
class FirstWords {
public:
    explicit FirstWords(const QString& text) : text_(text) {
        QTextBoundaryFinder finder(QTextBoundaryFinder::Line, text);
        for (qsizetype p = finder.toNextBoundary(); p > 0; p = finder.toNextBoundary()) breaks_.push_back(p);
    }

    // Where the text of the word at `start` ends (before the spaces a line may
    // break after), for ever later starts; -1 when the word is short.
    qsizetype longWordEnd(qsizetype start) {
        while (next_ < breaks_.size() && breaks_[next_] <= start) ++next_;
        qsizetype end = next_ < breaks_.size() ? breaks_[next_] : text_.size();
        while (end > start && text_.at(end - 1).isSpace()) --end;
        constexpr qsizetype kShort = 64;  // a short word costs Qt little
        return end - start > kShort ? end : -1;
    }

private:
    const QString& text_;
    std::vector<qsizetype> breaks_;  // where a line may break, ascending
    size_t next_ = 0;
};

void layOut(QTextLayout& layout, QTextLine& line, const QTextOption& option, qreal width) {
    layout.setTextOption(option);
    line.setLineWidth(width);
}

// Hands each line to `take` as (paragraph, start, length), at most maxLines of them.
template <class Take>
void layOutLines(const QFont& font, const QString& caption, qreal wrapWidthPx, qsizetype maxLines, Take take) {
    QString text = caption;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QStringList paragraphs = text.split(QLatin1Char('\n'));
    QTextOption words, anywhere;
    words.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    anywhere.setWrapMode(QTextOption::WrapAnywhere);
    qsizetype count = 0;
    for (const QString& paragraph : paragraphs) {
        if (count >= maxLines) return;
        if (paragraph.isEmpty() || wrapWidthPx <= 0) {
            take(paragraph, 0, paragraph.size());
            ++count;
            continue;
        }
        FirstWords firstWords(paragraph);
        QTextLayout layout(paragraph, font);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid() && count < maxLines; line = layout.createLine()) {
            const qsizetype start = line.textStart(), wordEnd = firstWords.longWordEnd(start);
            // Characters enough to spare that the few pixels by which the two ways
            // of breaking judge a line's end differently cannot matter.
            constexpr qsizetype kSpare = 4;
            bool done = false;
            if (wordEnd >= 0) {
                layOut(layout, line, anywhere, wrapWidthPx);
                done = start + line.textLength() + kSpare < wordEnd;
            }
            if (!done) layOut(layout, line, words, wrapWidthPx);
            // A line narrower than its first character still takes that character,
            // so every line holds at least one.
            take(paragraph, start, line.textLength());
            ++count;
        }
        layout.endLayout();
    }
}

}  // namespace

QStringList labelLines(const QFont& font, const QString& caption, qreal wrapWidthPx, qsizetype maxLines) {
    if (wrapWidthPx <= 0 && !caption.contains(QLatin1Char('\n'))) return {caption};
    QStringList lines;
    layOutLines(font, caption, wrapWidthPx, maxLines,
                [&lines](const QString& p, qsizetype start, qsizetype length) { lines << p.mid(start, length); });
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
    if (wrapWidth > 0) {
        // The width is the wrap width; only the number of lines is needed.
        qsizetype lines = 0;
        layOutLines(font, caption, wrapPx, std::numeric_limits<qsizetype>::max(),
                    [&lines](const QString&, qsizetype, qsizetype) { ++lines; });
        return {wrapWidth, static_cast<float>(linesHeight(font, lines)) * kTwipsPerPixel};
    }
    const QSizeF px = linesExtent(font, labelLines(font, caption, 0));
    return {static_cast<float>(px.width()) * kTwipsPerPixel, static_cast<float>(px.height()) * kTwipsPerPixel};
}

}  // namespace qm
