// What a cached picture of the drawing shows: for every element painted into it,
// the box its pixels lie in and a fingerprint of everything that decides them.
// Two records of the same canvas tell where they differ, whatever changed the
// document in between: an edit, a drag, an undo that replaced it whole.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include <QRect>

#include "app/document_painter.h"

namespace qm {

class PaintRecord {
public:
    // Records `doc` as paintDocument paints it with `options` (skip included,
    // exposed areas ignored).
    void take(const Document& doc, const PaintOptions& options);

    // The boxes, old and new, of the elements painted differently in `after`; one
    // box covering everything when the options themselves differ.
    std::vector<QRect> differences(const PaintRecord& after) const;

    void clear();

private:
    struct Mark {
        QRect bounds;  // empty: nothing painted
        uint64_t look = 0;
        bool operator==(const Mark&) const = default;
    };
    static constexpr size_t kFamilies = static_cast<size_t>(Part::picRight) + 1;

    std::array<std::vector<Mark>, kFamilies> marks_;
    uint64_t optionsLook_ = 0;
};

// The union of the painted boxes of `parts`.
QRect paintedBounds(const Document& doc, std::span<const PartRef> parts);

}  // namespace qm
