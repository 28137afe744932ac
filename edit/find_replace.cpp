#include "edit/find_replace.h"

#include <algorithm>

#include "interact/label_editing.h"
#include "model/chart_elements.h"
#include "model/labels.h"
#include "model/title_block.h"
#include "model/vocabulary.h"

namespace qm {
namespace {

// A changed caption, laid out as editing it in place lays it out.
void setText(Editor& ed, int label, std::string text) {
    setCaption(*ed.doc.Label.find(label), std::move(text), ed.metrics);
    layOutInOwner(ed, label);
}

ReplaceOutcome replaceIn(Editor& ed, const std::vector<std::pair<ElementText, std::string>>& changes) {
    if (changes.empty() || !commitOpenEditors(ed)) return {};
    // Every new caption checked before any is set: whole or nothing.
    for (const auto& [text, caption] : changes)
        if (const char* why = captionRefusal(*ed.doc.Label.find(text.label), caption, ed.metrics))
            return {0, textOwnerName(ed.doc, text) + "：" + why};
    for (const auto& [text, caption] : changes) setText(ed, text.label, caption);
    ed.markModified();
    return {static_cast<int>(changes.size()), {}};
}

}  // namespace

std::vector<ElementText> chartTexts(const Document& doc) {
    struct Placed {
        ElementText text;
        float top, left;
    };
    std::vector<Placed> placed;
    for (const ElementRef& e : chartElements(doc))
        for (int label : elementLabels(doc, e))
            if (const LabelEl* l = label > 0 ? doc.Label.find(label) : nullptr; l && l->visible)
                placed.push_back({{e, label}, l->top, l->left});
    std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
        return a.top != b.top ? a.top < b.top : a.left < b.left;
    });
    std::vector<ElementText> out;
    out.reserve(placed.size());
    for (const Placed& p : placed) out.push_back(p.text);
    return out;
}

std::vector<TextHit> findInChart(const Document& doc, const TextPattern& pattern) {
    std::vector<TextHit> out;
    if (pattern.empty()) return out;
    for (const ElementText& t : chartTexts(doc))
        for (const TextMatch& m : pattern.matches(doc.Label.find(t.label)->caption)) out.push_back({t, m});
    return out;
}

ReplaceOutcome replaceAll(Editor& ed, const TextPattern& pattern, std::string_view replacement) {
    std::vector<std::pair<ElementText, std::string>> changes;
    if (pattern.empty()) return {};
    for (const ElementText& t : chartTexts(ed.doc)) {
        const std::string& caption = ed.doc.Label.find(t.label)->caption;
        const std::vector<TextMatch> found = pattern.matches(caption);
        if (found.empty()) continue;
        std::string now = replaceMatches(caption, found, replacement);
        if (now != caption) changes.emplace_back(t, std::move(now));
    }
    return replaceIn(ed, changes);
}

ReplaceOutcome replaceHit(Editor& ed, const TextHit& hit, std::string_view replacement) {
    const LabelEl* l = ed.doc.Label.find(hit.text.label);
    if (!l || hit.match.end > l->caption.size() || hit.match.begin > hit.match.end) return {};
    std::string now = replaceMatches(l->caption, {hit.match}, replacement);
    if (now == l->caption) return {};
    return replaceIn(ed, {{hit.text, std::move(now)}});
}

std::string textOwnerName(const Document& doc, const ElementText& text) {
    if (text.element.kind == ElementKind::TitleBlock) {
        for (const TitleField& f : kTitleFields)
            if (f.label == text.label || f.captionLabel == text.label) return f.name;
        return chineseName(UserKind::TitleBlock);
    }
    return std::string(chineseName(userKind(doc, text.element))) + " " + std::to_string(text.element.index);
}

}  // namespace qm
