#include <gtest/gtest.h>

#include "model/text_metrics_cache.h"
#include "unit/support/fakes.h"

namespace qm {
namespace {

// Counts the measurements that reach the real measurer.
class CountingMetrics : public test::FakeMetrics {
public:
    TextExtent measure(std::string_view utf8, std::string_view font, float size, float wrap) const override {
        ++calls;
        return test::FakeMetrics::measure(utf8, font, size, wrap);
    }
    mutable int calls = 0;
};

TEST(CachedTextMetrics, MeasuresEachCaptionFontAndWrapOnceAndAnswersAsTheMeasurer) {
    CountingMetrics real;
    CachedTextMetrics cached(real);
    struct Case {
        std::string text, font;
        float size, wrap;
    };
    // Each differs from the first in one thing only.
    const Case cases[] = {{"流程 a", "宋体", 9, 0}, {"流程 b", "宋体", 9, 0}, {"流程 a", "黑体", 9, 0},
                          {"流程 a", "宋体", 12, 0}, {"流程 a", "宋体", 9, 300}};
    for (int round = 0; round < 2; ++round)
        for (const Case& c : cases) {
            const TextExtent want = real.test::FakeMetrics::measure(c.text, c.font, c.size, c.wrap);
            const TextExtent got = cached.measure(c.text, c.font, c.size, c.wrap);
            EXPECT_EQ(got.width, want.width) << c.text << c.font << c.size << c.wrap;
            EXPECT_EQ(got.height, want.height) << c.text << c.font << c.size << c.wrap;
        }
    EXPECT_EQ(real.calls, 5);
}

}  // namespace
}  // namespace qm
