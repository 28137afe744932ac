#include "io/qmp_convert.h"

#include "io/document_io.h"
#include "io/raw_document.h"
#include "model/labels.h"
#include "model/relayout.h"
#include "model/rounding.h"
#include "model/title_block.h"

namespace qm {

Result<Document> convertQmpToQuillmap(const Document& qmp, const TextMetrics& metrics) {
    Document out;
    autosize(out.Label.templ(), metrics);
    createTitleBlock(out, metrics, CanvasGeometry{});
    if (Status s = convertQmpElements(qmp, out, metrics); !s) return s.error();
    return out;
}

Status convertQmpElements(const Document& qmp, Document& out, const TextMetrics& metrics) {
    const int titleLabels = out.labelCount;
    if (qmp.labelCount > kMaxIndex - titleLabels)
        return IoError{"the drawing has too many labels to add a title block (" + std::to_string(qmp.labelCount) +
                           ")",
                       std::nullopt};
    auto renumber = [&](int16_t i) { return static_cast<int16_t>(i >= 1 ? i + titleLabels : i); };

    for (int i = 1; i <= qmp.labelCount; ++i) {
        const int j = titleLabels + i;
        out.Label.create(j);
        if (const LabelEl* src = qmp.Label.find(i)) {
            LabelEl& l = *out.Label.find(j);
            l.left = src->left;
            l.top = src->top;
            l.visible = src->visible;
            setCaption(l, src->caption, metrics);
        }
        if (static_cast<size_t>(i) < qmp.labelRec.size()) out.labelReserve(j) = qmp.labelRec[i];
    }
    out.labelCount = static_cast<int16_t>(titleLabels + qmp.labelCount);

    out.shapeCount = qmp.shapeCount;
    for (int i = 1; i <= qmp.shapeCount; ++i) {
        out.Shape1.create(i);
        out.LineRect.create(i);
        if (const ShapeEl* s = qmp.Shape1.find(i)) *out.Shape1.find(i) = *s;
        if (const LineEl* l = qmp.LineRect.find(i)) *out.LineRect.find(i) = *l;
        ShapeEl& s = *out.Shape1.find(i);
        s.width = kQmpShapeWidth;
        s.height = kQmpShapeHeight;
        ShapeRecord& r = out.shapeRec[i];
        r = qmp.shapeRec[i];
        r.label1 = renumber(r.label1);
        r.label2 = renumber(r.label2);
        r.innerCount = 0;
    }

    out.segCount = qmp.segCount;
    for (int i = 1; i <= qmp.segCount; ++i) {
        out.Line1.create(i);
        if (const LineEl* l = qmp.Line1.find(i)) *out.Line1.find(i) = *l;
    }

    out.arrowCount = qmp.arrowCount;
    for (int a = 1; a <= qmp.arrowCount; ++a) {
        out.arrowRec[a] = qmp.arrowRec[a];
        for (int d = 0; d < 4; ++d) {
            if (const PictureEl* p = qmp.heads(d)->find(a)) {
                out.heads(d)->create(a);
                *out.heads(d)->find(a) = *p;
            }
        }
    }

    out.diamondCount = qmp.diamondCount;
    for (int i = 1; i <= qmp.diamondCount; ++i) {
        const LineEl* lx1 = qmp.lx1.find(i);
        for (Collection<LineEl>* lines : out.diamondLines()) lines->create(i);
        DiamondRecord& r = out.diamondRec[i];
        r = DiamondRecord{};
        r.label1 = renumber(qmp.diamondRec[i].label1);
        r.label2 = renumber(qmp.diamondRec[i].label2);
        r.width = kQmpDiamondWidth;
        r.height = kQmpDiamondHeight;
        const int16_t x = lx1 ? roundI16Sat(lx1->x1) : 0, y = lx1 ? roundI16Sat(lx1->y2) : 0;
        layoutDiamond(out, x, y, kQmpDiamondWidth, kQmpDiamondHeight, i);
        const bool visible = lx1 && lx1->visible;
        for (Collection<LineEl>* lines : out.diamondLines()) lines->setVisible(i, visible);
    }
    out.setModified(false);
    return {};
}

// A straight arrow is placed whole by its command and never drawn click by click,
// so its record keeps the drawing cursor at 0; every drawn arrow moves it on.
QmpLack qmpCannotHold(const Document& d) {
    const LabelEl& plain = d.Label.templ();
    for (int i = 1; i <= d.labelCount; ++i)
        if (const LabelEl* l = d.Label.find(i); l && l->wordWrap) return QmpLack::VerticalLabel;
    for (int a = 1; a <= lastRecordIndex(d.arrowCount); ++a) {
        const ArrowRecord& r = d.arrowRec[a];
        if (r.count() == 1 && r.slot[ArrowRecord::kDrawCursor] == 0) return QmpLack::StraightArrow;
    }
    for (int i = 1; i <= d.shapeCount; ++i)
        if (const ShapeEl* s = d.Shape1.find(i); s && (s->width != kQmpShapeWidth || s->height != kQmpShapeHeight))
            return QmpLack::ShapeSize;
    for (int i = 1; i <= lastRecordIndex(d.diamondCount); ++i) {
        const DiamondRecord& r = d.diamondRec[i];
        if (r.width != kQmpDiamondWidth || r.height != kQmpDiamondHeight) return QmpLack::DiamondSize;
    }
    for (int i = 1; i <= d.labelCount; ++i)
        if (const LabelEl* l = d.Label.find(i); l && (l->fontName != plain.fontName || l->fontSize != plain.fontSize))
            return QmpLack::LabelFont;
    return QmpLack::None;
}

Result<Document> convertElementsToQmp(const Document& quillmap, const TextMetrics& metrics) {
    if (qmpCannotHold(quillmap) != QmpLack::None)
        return IoError{"the elements hold what a qmp drawing cannot", std::nullopt};
    auto bytes = encodeDocument(quillmap, Layout::Qmp);
    if (!bytes) return bytes.error();
    return decodeDocument(*bytes, Layout::Qmp, metrics);
}

}  // namespace qm
