#include "model/text_metrics_cache.h"

#include <bit>
#include <cstdint>

namespace qm {
namespace {

// Bounds on what is kept: a caption longer than this is rare and would only fill
// the cache, and past this many sizes the cache starts again.
constexpr size_t kMaxCachedText = 1024;
constexpr size_t kMaxSizes = 16384;

}  // namespace

size_t CachedTextMetrics::Hash::operator()(const KeyView& k) const {
    const std::hash<std::string_view> h;
    const auto bits = (uint64_t{std::bit_cast<uint32_t>(k.size)} << 32) | std::bit_cast<uint32_t>(k.wrap);
    return h(k.text) ^ (h(k.font) * 31) ^ (std::hash<uint64_t>{}(bits) * 131);
}

TextExtent CachedTextMetrics::measure(std::string_view utf8, std::string_view fontName, float pointSize,
                                      float wrapWidth) const {
    if (utf8.size() > kMaxCachedText) return measurer_.measure(utf8, fontName, pointSize, wrapWidth);
    const KeyView key{utf8, fontName, pointSize, wrapWidth};
    if (auto it = sizes_.find(key); it != sizes_.end()) return it->second;
    const TextExtent e = measurer_.measure(utf8, fontName, pointSize, wrapWidth);
    if (sizes_.size() >= kMaxSizes) sizes_.clear();
    sizes_.emplace(Key{std::string(utf8), std::string(fontName), pointSize, wrapWidth}, e);
    return e;
}

}  // namespace qm
