// The drawing list in the order the painter stacks it: shape outlines, lines and
// labels, then selection handles, then arrowhead pictures. Painting and whatever
// must know what painting covers walk the elements through these two visitors, so
// that they never disagree about which elements there are.
#pragma once
#include <span>

#include "model/document.h"
#include "model/parts.h"

namespace qm {

// Calls f(PartRef, element) for every element of the drawing, hidden ones included,
// in stacking order. Templates are left out, except handle 0, which the arrow code
// places as an ordinary handle.
template <class F>
void forEachElement(const Document& doc, F&& f) {
    const auto each = [&f](Part part, const auto& c) {
        for (int i = 1; i < c.end(); ++i)
            if (const auto* e = c.find(i)) f(PartRef{part, i}, *e);
    };
    each(Part::Shape1, doc.Shape1);
    f(PartRef{Part::Shape2, 0}, doc.Shape2);
    each(Part::LineRect, doc.LineRect);
    const Part diamondParts[] = {Part::lx1, Part::lx2, Part::lx3, Part::lx4, Part::lx5};
    const auto diamondLines = doc.diamondLines();
    for (size_t k = 0; k < diamondLines.size(); ++k) each(diamondParts[k], *diamondLines[k]);
    each(Part::Line1, doc.Line1);
    f(PartRef{Part::Line2, 0}, doc.Line2);
    f(PartRef{Part::Line3, 0}, doc.Line3);
    f(PartRef{Part::Line4, 0}, doc.Line4);
    f(PartRef{Part::lneTemp, 0}, doc.lneTemp);
    each(Part::Label, doc.Label);
    f(PartRef{Part::spHandle, 0}, doc.spHandle.templ());
    each(Part::spHandle, doc.spHandle);
    const Part headParts[] = {Part::picUp, Part::picDown, Part::picLeft, Part::picRight};
    for (int d = 0; d < 4; ++d) each(headParts[d], *doc.heads(d));
}

// Calls f(PartRef, element) for each of `parts` that exists, in the order given.
template <class F>
void forEachPart(const Document& doc, std::span<const PartRef> parts, F&& f) {
    const auto diamondLines = doc.diamondLines();
    const auto call = [&f](PartRef r, const auto* e) {
        if (e) f(r, *e);
    };
    for (const PartRef& r : parts) {
        const int i = r.index;
        switch (r.part) {
            case Part::Shape1: call(r, doc.Shape1.find(i)); break;
            case Part::Shape2: call(r, &doc.Shape2); break;
            case Part::LineRect: call(r, doc.LineRect.find(i)); break;
            case Part::lx1: case Part::lx2: case Part::lx3: case Part::lx4: case Part::lx5:
                call(r, diamondLines[static_cast<size_t>(static_cast<int>(r.part) - static_cast<int>(Part::lx1))]->find(i));
                break;
            case Part::Line1: call(r, doc.Line1.find(i)); break;
            case Part::Line2: call(r, &doc.Line2); break;
            case Part::Line3: call(r, &doc.Line3); break;
            case Part::Line4: call(r, &doc.Line4); break;
            case Part::lneTemp: call(r, &doc.lneTemp); break;
            case Part::Label: call(r, doc.Label.find(i)); break;
            case Part::spHandle: call(r, doc.handle(i)); break;
            case Part::picUp: case Part::picDown: case Part::picLeft: case Part::picRight:
                call(r, doc.heads(static_cast<int>(r.part) - static_cast<int>(Part::picUp))->find(i));
                break;
        }
    }
}

}  // namespace qm
