// Checkpoints of a drawing in blocks: always the bytes Save writes, whatever the
// coder remembers from earlier ones; sharing what did not change; read back into
// the drawing exactly.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "io/checkpoint.h"
#include "io/document_io.h"
#include "model/labels.h"
#include "model/title_block.h"
#include "unit/io/sample_documents.h"
#include "unit/support/fakes.h"

namespace qm {
namespace {

using test::TestEditor;

struct Edit {
    const char* what;
    std::function<void(Document&, const TextMetrics&)> apply;
};

// Changes of every part a file holds, and one (a selection colour) it does not.
const std::vector<Edit>& edits() {
    static const std::vector<Edit> all{
        {"a label's caption", [](Document& d, const TextMetrics& m) { setCaption(*d.Label.find(9), "改过", m); }},
        {"a shape moved", [](Document& d, const TextMetrics&) { d.Shape1.find(1)->left += 15; }},
        {"a selection colour", [](Document& d, const TextMetrics&) { d.Label.find(10)->foreColor = kGreen; }},
        {"a segment hidden", [](Document& d, const TextMetrics&) { d.Line1.setVisible(2, false); }},
        {"a label added",
         [](Document& d, const TextMetrics&) {
             d.Label.create(++d.labelCount);
             d.Label.setVisible(d.labelCount, true);
         }},
        {"a title cell text dragged", [](Document& d, const TextMetrics&) { d.Label.find(5)->left = 5000; }},
        {"the title block moved", [](Document& d, const TextMetrics&) { layoutTitleBlock(d, 9000, 7000); }},
        {"the title cell text dragged back", [](Document& d, const TextMetrics&) { d.Label.find(5)->left = 5000; }},
        {"a diamond record", [](Document& d, const TextMetrics&) { d.diamondRec[1].innerCount = 0; }},
        {"an arrow head",
         [](Document& d, const TextMetrics&) {
             for (int dir = 0; dir < 4; ++dir)
                 if (PictureEl* p = d.heads(dir)->find(1)) p->top += 30;
         }},
        {"reserved label data", [](Document& d, const TextMetrics&) { d.labelReserve(4).text = "x"; }},
        {"the last label removed",
         [](Document& d, const TextMetrics&) {
             d.Label.destroy(d.labelCount);
             --d.labelCount;
         }},
        {"a shape's record", [](Document& d, const TextMetrics&) { d.shapeRec[2].lastTop = 77; }},
    };
    return all;
}

std::string saved(const Document& doc, Layout layout) { return encodeDocument(doc, layout).value(); }

TEST(Checkpoint, IsWhatSaveWritesAfterEveryChangeAndReadsBackToEachEarlierOne) {
    for (Layout layout : {Layout::Quillmap, Layout::Qmp}) {
        TestEditor t;
        if (layout == Layout::Quillmap)
            test::addEveryKind(t.doc, t.metrics);
        else
            test::addEveryReducedKind(t.doc, t.metrics);
        CheckpointCoder coder(layout);
        std::vector<Checkpoint> cps{coder.encode(t.doc).value()};
        ASSERT_EQ(cps[0].bytes(), saved(t.doc, layout));
        for (const Edit& e : edits()) {
            if (layout == Layout::Qmp && std::string(e.what).find("title") != std::string::npos) continue;
            e.apply(t.doc, t.metrics);
            cps.push_back(coder.encode(t.doc).value());
            EXPECT_EQ(cps.back().bytes(), saved(t.doc, layout)) << e.what;
        }
        // Back to checkpoints in turn, from wherever the one before left the drawing;
        // from 8 to 6 the title block moves back under a cell text that stays put.
        for (size_t k : {size_t{0}, cps.size() - 1, size_t{3}, size_t{8}, size_t{6}, size_t{1}, cps.size() - 2, size_t{0}}) {
            ASSERT_TRUE(coder.restore(t.doc, cps[k], t.metrics)) << k;
            EXPECT_EQ(saved(t.doc, layout), cps[k].bytes()) << "checkpoint " << k;
            EXPECT_EQ(coder.encode(t.doc).value().blocks(), cps[k].blocks()) << "shares the blocks it read back";
            EXPECT_EQ(t.doc.Label.end(), t.doc.labelCount + 1) << "no label left past the count, for the next insert";
        }
    }
}

// A step pays for the groups it changed: a moved shape and its two texts change
// one group of shapes and one of labels, out of hundreds.
TEST(Checkpoint, SharesEveryBlockAStepDidNotChange) {
    TestEditor t;
    for (int i = 0; i < 600; ++i) {
        t.doc.Label.create(++t.doc.labelCount);
        t.doc.Label.setVisible(t.doc.labelCount, true);
    }
    test::addEveryKind(t.doc, t.metrics);
    CheckpointCoder coder(Layout::Quillmap);
    const Checkpoint before = coder.encode(t.doc).value();
    const ShapeRecord& r = t.doc.shapeRec[1];
    for (int i : {r.label1, r.label2}) t.doc.Label.find(i)->top += 15;
    t.doc.Shape1.find(1)->top += 15;
    const Checkpoint after = coder.encode(t.doc).value();
    ASSERT_EQ(before.blocks().size(), after.blocks().size());
    ASSERT_GT(before.blocks().size(), 40u);
    std::set<const std::string*> kept;
    for (const Block& b : before.blocks()) kept.insert(b.get());
    size_t fresh = 0;
    for (const Block& b : after.blocks()) fresh += kept.count(b.get()) == 0;
    EXPECT_EQ(fresh, 2u);
    EXPECT_EQ(coder.encode(t.doc).value().blocks(), after.blocks()) << "nothing changed, nothing new";
}

}  // namespace
}  // namespace qm
