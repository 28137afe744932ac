// Label sizes remembered by caption, font and wrap width. Measuring lays a caption
// out in the real face, and drawings repeat their captions (every new label starts
// with the same one, and a large drawing holds thousands alike), so a size once
// measured is taken again rather than laid out again, as when a file is opened.
#pragma once
#include <string>
#include <string_view>
#include <unordered_map>

#include "model/text_metrics.h"

namespace qm {

class CachedTextMetrics : public TextMetrics {
public:
    // `measurer` does the measuring and must outlive this.
    explicit CachedTextMetrics(const TextMetrics& measurer) : measurer_(measurer) {}

    TextExtent measure(std::string_view utf8, std::string_view fontName, float pointSize,
                       float wrapWidth) const override;

private:
    struct Key {
        std::string text, font;
        float size, wrap;
    };
    struct KeyView {
        std::string_view text, font;
        float size, wrap;
    };
    struct Hash {
        using is_transparent = void;
        size_t operator()(const KeyView& k) const;
        size_t operator()(const Key& k) const { return (*this)(KeyView{k.text, k.font, k.size, k.wrap}); }
    };
    struct Equal {
        using is_transparent = void;
        static KeyView view(const Key& k) { return {k.text, k.font, k.size, k.wrap}; }
        static const KeyView& view(const KeyView& k) { return k; }
        template <class A, class B>
        bool operator()(const A& a, const B& b) const {
            const KeyView x = view(a), y = view(b);
            return x.text == y.text && x.font == y.font && x.size == y.size && x.wrap == y.wrap;
        }
    };

    const TextMetrics& measurer_;
    mutable std::unordered_map<Key, TextExtent, Hash, Equal> sizes_;
};

}  // namespace qm
