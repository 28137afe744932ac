#include "edit/compare_words.h"

#include <algorithm>
#include <charconv>

#include "model/vocabulary.h"

namespace qm {
namespace {

std::string joined(const std::vector<TwipPoint>& pts) {
    std::string s;
    for (const TwipPoint& p : pts) {
        if (!s.empty()) s += ' ';
        s += '(' + pixelText(p.x) + ", " + pixelText(p.y) + ')';
    }
    return s;
}

std::string sizeText(const TwipBox& b) { return pixelText(b.width) + "×" + pixelText(b.height); }

}  // namespace

const char* textName(const ChartElement& e, int slot, const CompareWords& w) {
    const auto s = static_cast<size_t>(slot);
    switch (e.kind) {
        case ChartKind::Rectangle:
        case ChartKind::Ellipse:
        case ChartKind::Diamond: return w.shapeTexts[s];
        case ChartKind::TitleRow: return w.rowTexts[s];
        default: return w.text;
    }
}

const CompareWords kEnglishWords{
    .kinds = {"", "", "", englishName(UserKind::Rectangle), englishName(UserKind::Ellipse),
              englishName(UserKind::Diamond), englishName(UserKind::Arrow), englishName(UserKind::Label),
              englishName(UserKind::VerticalLabel)},
    .separator = ": ", .comma = ", ",
    .added = "added", .deleted = "deleted", .moved = "moved by", .resized = "resized", .points = "points",
    .head = "head",
    .at = "at", .size = "size", .to = "to", .from = "from", .pixels = "px", .was = "was",
    .shapeTexts = {"upper text", "lower text"}, .rowTexts = {"caption", "text"}, .text = "text",
    .directions = {"up", "down", "left", "right"},
};

const CompareWords kChineseWords{
    .kinds = {"", "", "", chineseName(UserKind::Rectangle), chineseName(UserKind::Ellipse),
              chineseName(UserKind::Diamond), chineseName(UserKind::Arrow), chineseName(UserKind::Label),
              chineseName(UserKind::VerticalLabel)},
    .separator = "：", .comma = "，",
    .added = "新增", .deleted = "删除", .moved = "移动", .resized = "大小改变", .points = "折点", .head = "箭头",
    .at = "位置", .size = "大小", .to = "到", .from = "从", .pixels = "像素", .was = "原为",
    .shapeTexts = {"上方文字", "下方文字"}, .rowTexts = {"栏名", "内容"}, .text = "文字",
    .directions = {"向上", "向下", "向左", "向右"},
};

std::string pixelText(int32_t twips) {
    if (twips % 15 == 0) return std::to_string(twips / 15);
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, pixelValue(twips), std::chars_format::fixed, 2);
    std::string s(buf, r.ptr);
    while (s.back() == '0') s.pop_back();
    return s;
}

double pixelValue(int32_t twips) { return static_cast<double>(twips) / kTwipsPerPixel; }

std::string quoted(const std::string& text) {
    std::string s = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            s += '\\';
            s += c;
        } else if (c == '\n') {
            s += "\\n";
        } else if (u < 0x20 || u == 0x7F) {
            const char* hex = "0123456789abcdef";
            s += "\\x";
            s += hex[u >> 4];
            s += hex[u & 15];
        } else {
            s += c;
        }
    }
    return s + '"';
}

std::string elementName(const ChartElement& e, const CompareWords& w) {
    switch (e.kind) {
        case ChartKind::TitleText:
        case ChartKind::TitleRow:
            for (const TitleField& f : kTitleFields)
                if (f.label == e.index) return f.name;
            return {};
        case ChartKind::TitleBlock: return chineseName(UserKind::TitleBlock);
        default: return std::string(w.kinds[static_cast<size_t>(e.kind)]) + ' ' + std::to_string(e.index);
    }
}

std::string describeElement(const ChartElement& e, const CompareWords& w) {
    std::string s = elementName(e, w);
    if (kindTraits(e.kind).placed)
        s += std::string(" ") + w.at + " (" + pixelText(e.box.left) + ", " + pixelText(e.box.top) + ")";
    if (kindTraits(e.kind).sized) s += std::string(" ") + w.size + ' ' + sizeText(e.box);
    if (e.kind == ChartKind::Arrow) {
        s += std::string(" ") + w.points + ' ' + joined(e.points);
        if (e.headDir >= 0) s += std::string(" ") + w.head + ' ' + w.directions[static_cast<size_t>(e.headDir)];
    }
    for (size_t k = 0; k < e.texts.size(); ++k) s += (k == 0 ? " " : " / ") + quoted(e.texts[k]);
    return s;
}

std::string describeChange(const Comparison& c, const Change& change, const CompareWords& w) {
    const ChartElement& e = c.element(change);
    std::string s = elementName(e, w) + w.separator;
    if (change.kind == ChangeKind::Added || change.kind == ChangeKind::Deleted) {
        // The whole element, without its name, which the line already starts with.
        const std::string all = describeElement(e, w), name = elementName(e, w);
        const std::string rest = all.substr(std::min(all.size(), name.size() + 1));
        if (change.kind == ChangeKind::Added) return s + w.added + (rest.empty() ? "" : " " + rest);
        return s + w.deleted + (rest.empty() ? "" : w.comma + std::string(w.was) + ' ' + rest);
    }
    const ChartElement& old = c.older[static_cast<size_t>(change.before)];
    const ChartElement& now = c.newer[static_cast<size_t>(change.after)];
    switch (change.kind) {
        case ChangeKind::Moved:
            return s + w.moved + " (" + pixelText(now.box.left - old.box.left) + ", " +
                   pixelText(now.box.top - old.box.top) + ") " + w.pixels + ' ' + w.to + " (" +
                   pixelText(now.box.left) + ", " + pixelText(now.box.top) + ")";
        case ChangeKind::Resized: {
            std::string line = s + w.resized + ' ' + w.from + ' ' + sizeText(old.box) + ' ' + w.to + ' ' +
                               sizeText(now.box) + ' ' + w.pixels;
            if (old.box.left != now.box.left || old.box.top != now.box.top)
                line += w.comma + std::string(w.at) + " (" + pixelText(now.box.left) + ", " +
                        pixelText(now.box.top) + ")";
            return line;
        }
        case ChangeKind::Text: {
            const auto k = static_cast<size_t>(change.slot);
            return s + textName(e, change.slot, w) + ' ' + quoted(old.texts[k]) + " → " + quoted(now.texts[k]);
        }
        case ChangeKind::Points: {
            std::string line = s + w.points + ' ' + joined(old.points) + " → " + joined(now.points);
            if (old.headDir != now.headDir && old.headDir >= 0 && now.headDir >= 0)
                line += w.comma + std::string(w.head) + ' ' + w.directions[static_cast<size_t>(old.headDir)] + " → " +
                        w.directions[static_cast<size_t>(now.headDir)];
            return line;
        }
        default: return s;
    }
}

}  // namespace qm
