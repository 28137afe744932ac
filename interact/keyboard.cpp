#include "interact/keyboard.h"

#include <algorithm>

#include "interact/pointer.h"
#include "model/chart_elements.h"
#include "model/selection_look.h"

namespace qm {

void selectNextElement(Editor& ed, int step) {
    if (followsPointer(ed.doc.selKind)) return;
    const std::vector<ElementRef> all = chartElements(ed.doc);
    if (all.empty()) return;
    const auto n = static_cast<std::ptrdiff_t>(all.size());
    const std::vector<ElementRef> selected = selectedElements(ed.doc);
    const auto at = selected.empty() ? all.end() : std::find(all.begin(), all.end(), selected.front());
    const std::ptrdiff_t next =
        at == all.end() ? (step > 0 ? 0 : n - 1) : ((at - all.begin() + step) % n + n) % n;
    const ElementRef e = all[static_cast<size_t>(next)];
    selectElement(ed, e.kind, e.index);
}

}  // namespace qm
