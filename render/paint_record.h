// What a cached picture of the drawing shows: for every element painted into it,
// the box its pixels lie in and a fingerprint of everything that decides them.
// Brought in line with the document after any change, the record tells which
// boxes look different, whatever changed the document: an edit, a drag, an undo
// that replaced it whole. It costs a look at each element's fields, not a paint.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include <QRect>

#include "render/document_painter.h"

namespace qm {

class PaintRecord {
public:
    // Brings the record in line with `doc` as paintDocument paints it with
    // `options`, leaving out the elements in `leftOut` (sorted; the options' own
    // skip and exposed area are not looked at). A part the selection's look
    // takes in or lets go of looks different, as any other change. Returns the areas, old and new, of
    // the elements that look different now: a box each, or a chain of small boxes
    // along a long slanting line; one box covering everything when the options
    // themselves changed, or when some thousands of boxes did.
    // Parts newly left out that look as recorded, as at the press that starts a
    // drag of what was already selected, are listed in `asShown` when given, and
    // their areas there rather than among those returned: a picture of the whole
    // drawing shows them as it did, and only a picture without them must lose them.
    // So are the parts left out that paint nothing.
    struct LeftAsShown {
        std::vector<PartRef> parts;
        std::vector<QRect> areas;
    };
    // `looksChanged`, when given, gets each element that looks different with the
    // box it was painted in and the one it is painted in now (either may be
    // empty), unless the areas returned cover everything.
    struct Change {
        PartRef part;
        QRect was, now;
    };
    std::vector<QRect> update(const Document& doc, const PaintOptions& options, std::span<const PartRef> leftOut,
                              LeftAsShown* asShown = nullptr, std::vector<Change>* looksChanged = nullptr);

    // For each of `boxes`, the recorded elements whose boxes touch it, in stacking
    // order.
    std::vector<std::vector<PartRef>> partsWithin(std::span<const QRect> boxes) const;

    // The areas the pixels of `parts` lie in as painted now, and for each the part
    // it comes from: small boxes along a long slanting line, one box for anything
    // else.
    static void piecesOf(std::vector<QRect>& out, std::vector<PartRef>& owners, const Document& doc,
                         std::span<const PartRef> parts, qreal handleScale);

    // The areas in which a picture painted as `other` records shows other pixels
    // than one painted as this record does: one box covering everything when they
    // were taken with other options, or when some thousands of boxes differ.
    std::vector<QRect> differences(const PaintRecord& other) const;

    void clear();
    // How many elements are recorded as painted.
    size_t painted() const { return painted_; }

private:
    struct Mark {
        QRect bounds;       // empty: nothing painted
        uint64_t look = 0;  // 0: nothing painted
        int8_t slant = 0;   // a line from corner to corner of its box: which way
        bool operator==(const Mark&) const = default;
    };
    // The areas a mark's pixels lie in.
    static void addPieces(std::vector<QRect>& out, const Mark& m);
    static constexpr size_t kFamilies = static_cast<size_t>(Part::picRight) + 1;

    std::array<std::vector<Mark>, kFamilies> marks_;
    std::vector<uint64_t> labelLooks_;  // by label index, while an update runs
    uint64_t optionsLook_ = 0;
    size_t painted_ = 0;
};

// A fingerprint of how `parts` look as painted, each element taken `by` twips back
// from where it lies: equal fingerprints, the same pixels moved by as much. It
// is the sum of the parts' own, so that a group's follows parts joining it
// (added) and leaving it (taken away) without going through the rest.
uint64_t lookMovedBack(const Document& doc, std::span<const PartRef> parts, PointF by);

}  // namespace qm
