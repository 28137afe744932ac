#include "interact/keyboard.h"

#include <algorithm>

#include "interact/label_editing.h"
#include "interact/selection.h"
#include "model/chart_elements.h"
#include "model/selection_look.h"
#include "model/title_block.h"

namespace qm {
namespace {

void addLabel(const Document& doc, std::vector<ElementRef>& out, int i) {
    if (doc.Label.visible(i)) out.push_back({ElementKind::Label, i});
}

}  // namespace

std::vector<ElementRef> tabStops(const Document& doc) {
    std::vector<ElementRef> out;
    const std::vector<ElementRef> elements = chartElements(doc);
    const bool titleBlock = !elements.empty() && elements.back().kind == ElementKind::TitleBlock;
    if (titleBlock) {
        addLabel(doc, out, kNumberLabel);
        addLabel(doc, out, kTitleLabel);
    }
    out.insert(out.end(), elements.begin(), elements.end());
    if (titleBlock)
        for (int row = 0; row < 3; ++row) {
            addLabel(doc, out, cellLabel(row, 0));
            addLabel(doc, out, cellLabel(row, 1));
        }
    return out;
}

void selectNextElement(Editor& ed, int step) {
    if (followsPointer(ed.doc.selKind)) return;
    const std::vector<ElementRef> all = tabStops(ed.doc);
    if (all.empty()) return;
    const auto n = static_cast<std::ptrdiff_t>(all.size());
    const std::vector<ElementRef> selected = selectedElements(ed.doc);
    const auto at = selected.empty() ? all.end() : std::find(all.begin(), all.end(), selected.front());
    const std::ptrdiff_t next =
        at == all.end() ? (step > 0 ? 0 : n - 1) : ((at - all.begin() + step) % n + n) % n;
    const ElementRef e = all[static_cast<size_t>(next)];
    selectElement(ed, e.kind, e.index);
}

bool editNextText(Editor& ed, int step) {
    Document& doc = ed.doc;
    if (!ed.text1.visible && !ed.text2.visible) return false;
    const int editing = doc.editLabel;
    std::optional<ElementRef> owner;
    for (const ElementRef e : chartElements(doc)) {
        if (e.kind != ElementKind::Shape && e.kind != ElementKind::Diamond) continue;
        const std::vector<int> texts = elementLabels(doc, e);
        if (std::find(texts.begin(), texts.end(), editing) != texts.end()) owner = e;
    }
    if (!owner) return false;
    const std::vector<int> texts = elementLabels(doc, *owner);
    const auto at = std::find(texts.begin(), texts.end(), editing) - texts.begin();
    const auto count = static_cast<std::ptrdiff_t>(texts.size());
    const int next = texts[static_cast<size_t>(((at + step) % count + count) % count)];
    if (!commitOpenEditors(ed)) return true;  // the refused text keeps its box
    selectElement(ed, owner->kind, owner->index);
    openTextOf(ed, next);
    return true;
}

}  // namespace qm
