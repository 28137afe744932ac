#include "model/parts.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>

namespace qm {

void sortUnique(std::vector<PartRef>& parts) {
    constexpr size_t kCompared = 4096;  // fewer than this sort faster by comparison
    constexpr size_t kFamilies = static_cast<size_t>(Part::picRight) + 1;
    int highest = 0;
    bool negative = false;
    std::array<bool, kFamilies> used{};
    for (const PartRef& r : parts) {
        highest = std::max(highest, r.index);
        negative |= r.index < 0;
        used[static_cast<size_t>(r.part)] = true;
    }
    if (parts.size() < kCompared || negative || highest >= (1 << 16)) {
        std::sort(parts.begin(), parts.end());
        parts.erase(std::unique(parts.begin(), parts.end()), parts.end());
        return;
    }
    // A bit for each index of each family present, read back a word at a time.
    const size_t words = static_cast<size_t>(highest) / 64 + 1;
    std::array<size_t, kFamilies> at{};
    size_t total = 0;
    for (size_t f = 0; f < kFamilies; ++f)
        if (used[f]) at[f] = total, total += words;
    std::vector<uint64_t> seen(total);
    for (const PartRef& r : parts) {
        const auto i = static_cast<size_t>(r.index);
        seen[at[static_cast<size_t>(r.part)] + i / 64] |= uint64_t{1} << (i % 64);
    }
    parts.clear();
    for (size_t f = 0; f < kFamilies; ++f) {
        if (!used[f]) continue;
        for (size_t w = 0; w < words; ++w)
            for (uint64_t bits = seen[at[f] + w]; bits; bits &= bits - 1)
                parts.push_back({static_cast<Part>(f), static_cast<int>(w * 64 + static_cast<size_t>(std::countr_zero(bits)))});
    }
}

}  // namespace qm
