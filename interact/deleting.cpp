#include "interact/deleting.h"

#include <algorithm>

#include "interact/handles.h"
#include "interact/rules.h"
#include "interact/selection.h"
#include "model/sel_kind.h"
#include "model/selection_look.h"
#include "model/title_block.h"

namespace qm {
namespace {

template <class Record>
void hideInnerLabels(Document& doc, const Record& rec) {
    for (int k = 1; k <= innerLabelCount(rec); ++k) doc.Label.setVisible(rec.innerLabel[k], false);
}

bool canDeleteElement(const Editor& ed, ElementRef e) {
    const Document& doc = ed.doc;
    const int i = e.index;
    switch (e.kind) {
        case ElementKind::Shape: return doc.Shape1.visible(i);
        case ElementKind::Diamond: return doc.lx1.visible(i);
        case ElementKind::Arrow: return true;
        // The number field and the title belong to the title block for good.
        case ElementKind::Label: return doc.Label.visible(i) && (!rulesOf(ed).titleBlock || i > kTitleLabel);
        case ElementKind::TitleBlock: return false;
    }
    return false;
}

// Hides element e with its parts; false when there was nothing to hide.
bool deleteElement(Editor& ed, ElementRef e) {
    if (!canDeleteElement(ed, e)) return false;
    Document& doc = ed.doc;
    const Rules& rules = rulesOf(ed);
    const int i = e.index;
    // A rectangle, ellipse or diamond goes with its texts, its handles and the
    // labels lying on it.
    auto hideParts = [&](const auto& r) {
        doc.Label.setVisible(r.label1, false);
        doc.Label.setVisible(r.label2, false);
        if (rules.cornerHandles) hideCornerHandles(doc);
        if (rules.innerLabels) hideInnerLabels(doc, r);
    };
    switch (e.kind) {
        case ElementKind::Shape: {
            const ShapeRecord* r = doc.shapeRecord(i);
            if (!r) return false;
            doc.Shape1.setVisible(i, false);
            doc.LineRect.setVisible(i, false);
            hideParts(*r);
            return true;
        }
        case ElementKind::Label:
            doc.Label.setVisible(i, false);
            return true;
        case ElementKind::Arrow:
            hideArrow(doc, i);
            return true;
        case ElementKind::Diamond: {
            const DiamondRecord* r = doc.diamondRecord(i);
            if (!r) return false;
            setDiamondVisible(doc, i, false);
            hideParts(*r);
            return true;
        }
        case ElementKind::TitleBlock:
            return false;  // the title block is never deleted
    }
    return false;
}

}  // namespace

bool canDeleteSelection(const Editor& ed) {
    const Document& doc = ed.doc;
    if (doc.selKind == SelKind::Several)
        return std::any_of(doc.group.begin(), doc.group.end(), [&ed](ElementRef e) { return canDeleteElement(ed, e); });
    // Only an element selected and at rest: not one being placed or drawn, nor one
    // whose handle is dragged. A deleted one stays selected, hidden.
    const std::optional<ElementKind> kind = restingSelection(doc.selKind);
    return kind && canDeleteElement(ed, {*kind, doc.selIndex});
}

void deleteSelection(Editor& ed) {
    Document& doc = ed.doc;
    if (doc.selKind == SelKind::Several) {
        bool any = false;
        for (ElementRef e : doc.group) any = deleteElement(ed, e) || any;
        clearSelection(ed);
        if (any) ed.markModified();
        return;
    }
    const std::optional<ElementKind> kind = restingSelection(doc.selKind);
    if (!kind || !deleteElement(ed, {*kind, doc.selIndex})) return;
    if (*kind == ElementKind::Arrow) clearSelection(ed);
    ed.markModified();
}

void hideArrow(Document& doc, int a) {
    const ArrowRecord* r = doc.arrowRecord(a);
    if (!r) return;
    for (int k = 1; k <= r->segmentCount(); ++k) doc.Line1.setVisible(r->slot[k], false);
    if (Collection<PictureEl>* heads = doc.heads(r->direction())) heads->setVisible(r->head(), false);
}

void setDiamondVisible(Document& doc, int i, bool visible) {
    for (Collection<LineEl>* lines : doc.diamondLines()) lines->setVisible(i, visible);
}

void createDiamondLines(Document& doc, int i) {
    for (Collection<LineEl>* lines : doc.diamondLines()) lines->create(i);
}

}  // namespace qm
