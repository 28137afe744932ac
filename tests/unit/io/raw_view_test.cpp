// The field-by-field view tools show: names as the format has them, in file order,
// each at its byte offset.
#include <gtest/gtest.h>

#include "io/document_io.h"
#include "unit/io/sample_documents.h"
#include "unit/support/fakes.h"

namespace qm {
namespace {

struct Leaf {
    std::string path;
    uint64_t offset, size;
};

// Records every leaf field with its path ("shapes[1].entry.left") and size.
class Recorder : public RawFieldSink {
public:
    std::vector<Leaf> leaves;
    int openGroups = 0, openLists = 0;

    void beginList(std::string_view name) override {
        stack_.push_back(std::string(name));
        index_.push_back(0);
        ++openLists;
    }
    void endList() override {
        stack_.pop_back();
        index_.pop_back();
        --openLists;
    }
    void beginGroup(std::string_view name, uint64_t) override {
        if (name.empty()) stack_.push_back("[" + std::to_string(++index_.back()) + "]");
        else stack_.push_back(std::string(name));
        ++openGroups;
    }
    void endGroup() override {
        stack_.pop_back();
        --openGroups;
    }
    void integer(std::string_view name, int64_t, uint64_t at) override { add(name, at, 0); }
    void real(std::string_view name, double, uint64_t at) override { add(name, at, 4); }
    void text(std::string_view name, std::string_view bytes, uint64_t at) override {
        add(name, at, bytes.size() + (name == "tag" ? 0 : 2));
    }
    void integers(std::string_view name, std::span<const int16_t> v, uint64_t at) override {
        add(name, at, 2 * v.size());
    }
    void bytes(std::string_view name, std::span<const uint8_t> v, uint64_t at) override { add(name, at, v.size()); }

private:
    void add(std::string_view name, uint64_t at, uint64_t size) {
        std::string p;
        for (const std::string& s : stack_) p += (p.empty() || s[0] == '[' ? "" : ".") + s;
        p += (p.empty() ? "" : ".") + std::string(name);
        leaves.push_back({p, at, size});
    }
    std::vector<std::string> stack_;
    std::vector<int> index_;
};

std::vector<std::string> pathsUnder(const Recorder& r, const std::string& prefix) {
    std::vector<std::string> out;
    for (const Leaf& l : r.leaves)
        if (l.path.rfind(prefix, 0) == 0) out.push_back(l.path.substr(prefix.size()));
    return out;
}

TEST(IoRawView, FieldsInFileOrderUnderTheFormatsNames) {
    test::TestEditor t;
    test::addEveryKind(t.doc, t.metrics);
    for (Layout l : {Layout::Quillmap, Layout::Qmp}) {
        const std::string bytes = *encodeDocument(t.doc, l);
        auto raw = decodeRawDocument(bytes, l);
        ASSERT_TRUE(raw.ok()) << raw.error().describe();
        Recorder rec;
        walkRawFields(*raw, rec);
        EXPECT_EQ(rec.openGroups, 0);
        EXPECT_EQ(rec.openLists, 0);
        // Integers carry no size in the sink; every field starts where the last ended.
        uint64_t next = 0;
        for (size_t k = 0; k < rec.leaves.size(); ++k) {
            ASSERT_EQ(rec.leaves[k].offset, next) << rec.leaves[k].path;
            const uint64_t following = k + 1 < rec.leaves.size() ? rec.leaves[k + 1].offset : bytes.size();
            next = rec.leaves[k].size ? rec.leaves[k].offset + rec.leaves[k].size : following;
            ASSERT_GT(next, rec.leaves[k].offset) << rec.leaves[k].path;
        }
        EXPECT_EQ(next, bytes.size());

        const bool full = l == Layout::Quillmap;
        using V = std::vector<std::string>;
        const V shapeEntry = full ? V{"left", "top", "visible", "style", "width", "height"}
                                  : V{"left", "top", "visible", "style"};
        const V shape = pathsUnder(rec, "shapes[2].");
        V prefixed;
        for (const std::string& f : shapeEntry) prefixed.push_back("entry." + f);
        EXPECT_EQ(V(shape.begin(), shape.begin() + static_cast<long>(shapeEntry.size())), prefixed);
        EXPECT_EQ(shape.back(), full ? "record.innerDY" : "record.shapeType");
        const V labelEntry = full ? V{"left", "top", "height", "width", "caption", "visible", "wordWrap", "fontSize",
                                      "fontName"}
                                  : V{"left", "top", "caption", "visible"};
        EXPECT_EQ(pathsUnder(rec, "labels[14].entry."), labelEntry);
        EXPECT_EQ(pathsUnder(rec, "labels[3].reserve."), (V{"a", "b", "c", "bytes", "text"}));
        EXPECT_EQ(pathsUnder(rec, "segments[1].entry."), (V{"x1", "y1", "x2", "y2", "visible"}));
        EXPECT_EQ(pathsUnder(rec, "arrows[1]."),
                  (V{"record.slots", "heads.up.left", "heads.up.top", "heads.up.visible", "heads.down.left",
                     "heads.down.top", "heads.down.visible", "heads.left.left", "heads.left.top",
                     "heads.left.visible", "heads.right.left", "heads.right.top", "heads.right.visible"}));
        EXPECT_EQ(pathsUnder(rec, "diamonds[1].record.").size(), full ? 10u : 2u);
        EXPECT_EQ(rec.leaves.front().path, full ? "tag" : "shapeCount");
        EXPECT_EQ(rec.leaves.back().path, full ? "titleBlockTop" : "diamonds[2].record.label2");
    }
}

TEST(IoRawView, QuillmapTagDetection) {
    test::TestEditor t;
    const std::string bytes = *encodeDocument(t.doc, Layout::Quillmap);
    EXPECT_TRUE(startsWithQuillmapTag(bytes));
    EXPECT_FALSE(startsWithQuillmapTag(bytes.substr(0, 254)));
    EXPECT_FALSE(startsWithQuillmapTag(*encodeDocument(Document(), Layout::Qmp)));
}

}  // namespace
}  // namespace qm
