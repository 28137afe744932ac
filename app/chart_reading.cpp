#include "app/chart_reading.h"

#include "model/selection_look.h"

namespace qm {
namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

QString kindOf(const Document& doc, ElementRef e) {
    const UserKind kind = userKind(doc, e);
    if (kind != UserKind::Arrow) return u(chineseName(kind));
    // A straight arrow is one segment; its head says which way it points.
    const ArrowRecord* r = doc.arrowRecord(e.index);
    if (!r || r->segmentCount() != 1) return u("折线箭头");
    static const char* const byDirection[] = {"上箭头", "下箭头", "左箭头", "右箭头"};
    const int d = r->direction();
    return u(d >= 0 && d < 4 ? byDirection[d] : chineseName(kind));
}

}  // namespace

QString ElementReading::name() const { return texts.isEmpty() ? kind : kind + u("：") + texts.join(u(" / ")); }

ElementReading readElement(const Document& doc, ElementRef e) {
    ElementReading r;
    r.ref = e;
    r.kind = kindOf(doc, e);
    r.box = outlineOf(doc, e).value_or(BoxF{});
    const std::vector<ElementRef> selected = selectedElements(doc);
    r.selected = !selected.empty() && selected.front() == e;
    const auto caption = [&doc](int i) {
        const LabelEl* l = doc.Label.find(i);
        return l && l->visible ? QString::fromStdString(l->caption).simplified() : QString();
    };
    const std::vector<int> labels = elementLabels(doc, e);
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
    std::vector<ElementReading> out;
    for (const ElementRef& e : chartElements(doc)) out.push_back(readElement(doc, e));
    return out;
}

}  // namespace qm
