#include "app/chart_reading.h"

#include <algorithm>
#include <array>

#include "model/selection_look.h"

namespace qm {
namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

// Made once and shared by every reading: the largest chart is read in tens of
// thousands of elements after each change a screen reader hears of.
QString kindOf(const Document& doc, ElementRef e) {
    static const auto names = [] {
        std::array<QString, static_cast<size_t>(UserKind::TitleBlock) + 1> n;
        for (size_t k = 0; k < n.size(); ++k) n[k] = u(chineseName(static_cast<UserKind>(k)));
        return n;
    }();
    static const QString polyline = u("折线箭头");
    static const QString byDirection[] = {u("上箭头"), u("下箭头"), u("左箭头"), u("右箭头")};
    const UserKind kind = userKind(doc, e);
    if (kind != UserKind::Arrow) return names[static_cast<size_t>(kind)];
    // A straight arrow is one segment; its head says which way it points.
    const ArrowRecord* r = doc.arrowRecord(e.index);
    if (!r || r->segmentCount() != 1) return polyline;
    const int d = r->direction();
    return d >= 0 && d < 4 ? byDirection[d] : names[static_cast<size_t>(kind)];
}

// What is selected, sorted for lookups: every element of a selection of several.
std::vector<ElementRef> sortedSelection(const Document& doc) {
    std::vector<ElementRef> selected = selectedElements(doc);
    std::sort(selected.begin(), selected.end());
    return selected;
}

}  // namespace

QString ElementReading::name() const { return texts.isEmpty() ? kind : kind + u("：") + texts.join(u(" / ")); }

ElementReading readElement(const Document& doc, ElementRef e) { return readElement(doc, e, sortedSelection(doc)); }

ElementReading readElement(const Document& doc, ElementRef e, const std::vector<ElementRef>& selected) {
    ElementReading r;
    r.ref = e;
    r.kind = kindOf(doc, e);
    // A straight arrow's line has no width or no height; its outline takes in the head.
    r.box = outlineOf(doc, e).value_or(BoxF{});
    const auto isSelected = [&selected](ElementRef x) { return std::binary_search(selected.begin(), selected.end(), x); };
    r.selected = isSelected(e);
    const auto caption = [&doc](int i) {
        const LabelEl* l = doc.Label.find(i);
        return l && l->visible ? QString::fromStdString(l->caption).simplified() : QString();
    };
    const std::vector<int> labels = elementLabels(doc, e);
    // A text of the element selected on its own (a shape's caption, a title field)
    // is the element selected, to someone who reads the element with its texts.
    for (const int label : labels) r.selected = r.selected || isSelected({ElementKind::Label, label});
    // The title block's title and number, then its table row by row.
    const size_t single = e.kind == ElementKind::TitleBlock ? 2 : labels.size();
    for (size_t k = 0; k < labels.size(); ++k) {
        QString text = caption(labels[k]);
        if (k >= single && k + 1 < labels.size()) {
            const QString value = caption(labels[++k]);
            if (!value.isEmpty()) text = text.isEmpty() ? value : text + u("：") + value;
        }
        if (!text.isEmpty()) r.texts << text;
    }
    return r;
}

std::vector<ElementReading> readChart(const Document& doc) {
    const std::vector<ElementRef> selected = sortedSelection(doc);
    std::vector<ElementReading> out;
    for (const ElementRef& e : chartElements(doc)) out.push_back(readElement(doc, e, selected));
    return out;
}

}  // namespace qm
