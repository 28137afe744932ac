#include "model/parts.h"

#include <algorithm>

namespace qm {

void sortUnique(std::vector<PartRef>& parts) {
    constexpr size_t kCompared = 4096;  // fewer than this sort faster by comparison
    constexpr int kFamilies = static_cast<int>(Part::picRight) + 1;
    int highest = 0;
    for (const PartRef& r : parts) highest = std::max(highest, r.index);
    const size_t span = static_cast<size_t>(highest) + 1;
    const bool marks = parts.size() >= kCompared && highest < (1 << 16) &&
                       std::all_of(parts.begin(), parts.end(), [](const PartRef& r) { return r.index >= 0; });
    if (!marks) {
        std::sort(parts.begin(), parts.end());
        parts.erase(std::unique(parts.begin(), parts.end()), parts.end());
        return;
    }
    std::vector<bool> seen(span * kFamilies);
    for (const PartRef& r : parts) seen[static_cast<size_t>(r.part) * span + static_cast<size_t>(r.index)] = true;
    parts.clear();
    for (int f = 0; f < kFamilies; ++f)
        for (size_t i = 0; i < span; ++i)
            if (seen[static_cast<size_t>(f) * span + i]) parts.push_back({static_cast<Part>(f), static_cast<int>(i)});
}

}  // namespace qm
