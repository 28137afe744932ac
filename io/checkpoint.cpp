#include "io/checkpoint.h"

#include <algorithm>
#include <optional>
#include <span>

#include "model/title_block.h"

namespace qm {
namespace {

// Assigned over what `kept` held, so that its texts' buffers are reused.
template <class T>
void keep(std::optional<T>& kept, const T* e) {
    if (e)
        kept = *e;
    else
        kept.reset();
}

template <class T>
bool same(const std::optional<T>& kept, const T* now) {
    return kept ? now && *kept == *now : !now;
}

bool sameBlock(const Block& a, const Block& b) { return a == b || (a && b && *a == *b); }

// What each section's items are made of in a Document: the inputs that decide
// an item's bytes (compared to tell whether its group must be written again),
// how to build it from the file's item, and how to remove it.
template <class Raw>
struct Section;

template <>
struct Section<RawShape> {
    static constexpr size_t kIndex = 0, kGroup = 4;  // about 6 KB of records
    struct Input {
        std::optional<ShapeEl> shape;
        std::optional<LineEl> line;
        ShapeRecord record;
    };
    static int16_t count(const Document& d) { return d.shapeCount; }
    static void setCount(Document& d, size_t n) { d.shapeCount = static_cast<int16_t>(n); }
    static bool same(const Input& in, const Document& d, int i) {
        return qm::same(in.shape, d.Shape1.find(i)) && qm::same(in.line, d.LineRect.find(i)) &&
               in.record == d.shapeRec[static_cast<size_t>(i)];
    }
    static void take(const Document& d, int i, Input& in) {
        keep(in.shape, d.Shape1.find(i));
        keep(in.line, d.LineRect.find(i));
        in.record = d.shapeRec[static_cast<size_t>(i)];
    }
    static Status build(const ItemBuilder& b, Document& d, int i, const RawShape& r) {
        b.shape(d, i, r);
        return {};
    }
    static void drop(Document& d, int i) {
        d.Shape1.destroy(i);
        d.LineRect.destroy(i);
        d.shapeRec[static_cast<size_t>(i)] = {};
    }
};

template <>
struct Section<RawLabel> {
    // Small groups: the inner labels of a shape that moves lie anywhere in the list.
    static constexpr size_t kIndex = 1, kGroup = 16;
    struct Input {
        std::optional<LabelEl> label;
        LabelReserveRecord reserve;
    };
    static const LabelReserveRecord& reserveOf(const Document& d, int i) {
        static const LabelReserveRecord none;
        return static_cast<size_t>(i) < d.labelRec.size() ? d.labelRec[static_cast<size_t>(i)] : none;
    }
    static int16_t count(const Document& d) { return d.labelCount; }
    static void setCount(Document& d, size_t n) {
        d.labelCount = static_cast<int16_t>(n);
        if (d.labelRec.size() > n + 1) d.labelRec.resize(n + 1);
    }
    static bool same(const Input& in, const Document& d, int i) {
        return qm::same(in.label, d.Label.find(i)) && in.reserve == reserveOf(d, i);
    }
    static void take(const Document& d, int i, Input& in) {
        keep(in.label, d.Label.find(i));
        in.reserve = reserveOf(d, i);
    }
    static Status build(const ItemBuilder& b, Document& d, int i, const RawLabel& r) { return b.label(d, i, r); }
    static void drop(Document& d, int i) { d.Label.destroy(i); }
};

template <>
struct Section<RawSegment> {
    static constexpr size_t kIndex = 2, kGroup = 256;
    using Input = std::optional<LineEl>;
    static int16_t count(const Document& d) { return d.segCount; }
    static void setCount(Document& d, size_t n) { d.segCount = static_cast<int16_t>(n); }
    static bool same(const Input& in, const Document& d, int i) { return qm::same(in, d.Line1.find(i)); }
    static void take(const Document& d, int i, Input& in) { keep(in, d.Line1.find(i)); }
    static Status build(const ItemBuilder& b, Document& d, int i, const RawSegment& r) {
        b.segment(d, i, r);
        return {};
    }
    static void drop(Document& d, int i) { d.Line1.destroy(i); }
};

template <>
struct Section<RawArrow> {
    static constexpr size_t kIndex = 3, kGroup = 8;
    struct Input {
        ArrowRecord record;
        std::array<std::optional<PictureEl>, 4> heads;
    };
    static int16_t count(const Document& d) { return d.arrowCount; }
    static void setCount(Document& d, size_t n) { d.arrowCount = static_cast<int16_t>(n); }
    static bool same(const Input& in, const Document& d, int i) {
        if (!(in.record == d.arrowRec[static_cast<size_t>(i)])) return false;
        for (int k = 0; k < 4; ++k)
            if (!qm::same(in.heads[static_cast<size_t>(k)], d.heads(k)->find(i))) return false;
        return true;
    }
    static void take(const Document& d, int i, Input& in) {
        in.record = d.arrowRec[static_cast<size_t>(i)];
        for (int k = 0; k < 4; ++k) keep(in.heads[static_cast<size_t>(k)], d.heads(k)->find(i));
    }
    static Status build(const ItemBuilder& b, Document& d, int i, const RawArrow& r) {
        b.arrow(d, i, r);
        return {};
    }
    static void drop(Document& d, int i) {
        for (int k = 0; k < 4; ++k) d.heads(k)->destroy(i);
        d.arrowRec[static_cast<size_t>(i)] = {};
    }
};

template <>
struct Section<RawDiamond> {
    static constexpr size_t kIndex = 4, kGroup = 4;
    struct Input {
        DiamondRecord record;
        std::optional<LineEl> edge;  // lx1 holds the box's corner
    };
    static int16_t count(const Document& d) { return d.diamondCount; }
    static void setCount(Document& d, size_t n) { d.diamondCount = static_cast<int16_t>(n); }
    static bool same(const Input& in, const Document& d, int i) {
        return in.record == d.diamondRec[static_cast<size_t>(i)] && qm::same(in.edge, d.lx1.find(i));
    }
    static void take(const Document& d, int i, Input& in) {
        in.record = d.diamondRec[static_cast<size_t>(i)];
        keep(in.edge, d.lx1.find(i));
    }
    static Status build(const ItemBuilder& b, Document& d, int i, const RawDiamond& r) {
        b.diamond(d, i, r);
        return {};
    }
    static void drop(Document& d, int i) {
        for (Collection<LineEl>* lines : d.diamondLines()) lines->destroy(i);
        d.diamondRec[static_cast<size_t>(i)] = {};
    }
};

size_t groupsOf(size_t items, size_t group) { return (items + group - 1) / group; }

}  // namespace

template <class Raw>
struct Groups {
    struct Group {
        Block block;
        std::vector<typename Section<Raw>::Input> inputs;  // empty: not known
    };
    std::vector<Group> groups;
    std::vector<Raw> scratch;
};

struct CheckpointCoder::State {
    TextBytesCache texts;
    std::array<Block, kSectionCount + 1> frame;
    std::tuple<Groups<RawShape>, Groups<RawLabel>, Groups<RawSegment>, Groups<RawArrow>, Groups<RawDiamond>> sections;

    template <class Raw>
    Groups<Raw>& of() {
        return std::get<Groups<Raw>>(sections);
    }
};

namespace {

// The parts of a checkpoint the restoring reads.
struct CheckpointLayout {
    const std::vector<Block>& blocks;
    const std::array<size_t, kSectionCount>& counts;
    const std::array<size_t, kSectionCount + 1>& frameAt;
};

// Where group g of a section lies in a checkpoint's blocks, and how many items it holds.
struct GroupPlace {
    size_t block, items;
};

template <class Raw>
GroupPlace place(const std::array<size_t, kSectionCount + 1>& frameAt, const std::array<size_t, kSectionCount>& counts,
                 size_t g) {
    constexpr size_t s = Section<Raw>::kIndex, n = Section<Raw>::kGroup;
    return {frameAt[s] + 1 + g, std::min(n, counts[s] - g * n)};
}

}  // namespace

std::string Checkpoint::bytes() const {
    std::string out;
    out.reserve(size_);
    for (const Block& b : blocks_) out += *b;
    return out;
}

bool Checkpoint::operator==(const Checkpoint& other) const {
    if (size_ != other.size_ || blocks_.size() != other.blocks_.size()) return false;
    for (size_t k = 0; k < blocks_.size(); ++k)
        if (!sameBlock(blocks_[k], other.blocks_[k])) return false;
    return true;
}

CheckpointCoder::CheckpointCoder(Layout layout) : layout_(layout), state_(std::make_unique<State>()) {}
CheckpointCoder::~CheckpointCoder() = default;
CheckpointCoder::CheckpointCoder(CheckpointCoder&&) noexcept = default;
CheckpointCoder& CheckpointCoder::operator=(CheckpointCoder&&) noexcept = default;

namespace {

// Adds the blocks of one section to `cp`, writing only the groups whose inputs
// changed and keeping the old block where the bytes came out the same.
template <class Raw>
Status encodeSection(const Document& doc, Layout layout, ItemFlattener& flat, Groups<Raw>& memo, size_t count,
                     std::vector<Block>& out) {
    using S = Section<Raw>;
    memo.groups.resize(groupsOf(count, S::kGroup));
    for (size_t g = 0; g < memo.groups.size(); ++g) {
        auto& group = memo.groups[g];
        const int first = static_cast<int>(g * S::kGroup) + 1;
        const size_t n = std::min(S::kGroup, count - g * S::kGroup);
        bool same = group.block && group.inputs.size() == n;
        for (size_t k = 0; same && k < n; ++k) same = S::same(group.inputs[k], doc, first + static_cast<int>(k));
        if (!same) {
            memo.scratch.resize(n);
            for (size_t k = 0; k < n; ++k)
                if (Status st = flat.item(first + static_cast<int>(k), memo.scratch[k]); !st) return st;
            auto bytes = encodeRawItems<Raw>(std::span<const Raw>(memo.scratch.data(), n), layout);
            if (!bytes) return bytes.error();
            if (!group.block || *group.block != *bytes) group.block = std::make_shared<const std::string>(std::move(*bytes));
            group.inputs.resize(n);
            for (size_t k = 0; k < n; ++k) S::take(doc, first + static_cast<int>(k), group.inputs[k]);
        }
        out.push_back(group.block);
    }
    return {};
}

// Item k's bytes in a parsed group.
template <class Raw>
std::string_view itemBytes(const std::string& block, const std::vector<Raw>& items, size_t k) {
    const size_t end = k + 1 < items.size() ? items[k + 1].at : block.size();
    return std::string_view(block).substr(items[k].at, end - items[k].at);
}

// Rebuilds the items of one section that differ between `cur` (what `doc` holds)
// and `target`, removes those past the target's count, and leaves the memo with
// the target's blocks. `force` names items rebuilt whatever their bytes.
template <class Raw>
Status restoreSection(Document& doc, const CheckpointLayout& cur, const CheckpointLayout& target, Layout layout,
                      const ItemBuilder& builder, Groups<Raw>& memo, std::pair<int, int> force) {
    using S = Section<Raw>;
    const auto &curCounts = cur.counts, &counts = target.counts;
    const auto &curFrame = cur.frameAt, &frame = target.frameAt;
    const size_t nCur = curCounts[S::kIndex], nTarget = counts[S::kIndex];
    const size_t gCur = groupsOf(nCur, S::kGroup), gTarget = groupsOf(nTarget, S::kGroup);
    memo.groups.resize(gTarget);
    for (size_t g = 0; g < gTarget; ++g) {
        const GroupPlace t = place<Raw>(frame, counts, g);
        const Block& tb = target.blocks[t.block];
        const int first = static_cast<int>(g * S::kGroup) + 1;
        const bool forced = force.first <= first + static_cast<int>(t.items) - 1 && first <= force.second;
        std::optional<GroupPlace> c;
        if (g < gCur) c = place<Raw>(curFrame, curCounts, g);
        const Block* cb = c ? &cur.blocks[c->block] : nullptr;
        if (cb && c->items == t.items && sameBlock(*cb, tb) && !forced) {
            memo.groups[g].block = tb;  // same bytes: the inputs still hold
            continue;
        }
        auto items = parseRawItems<Raw>(*tb, layout, t.items);
        if (!items) return items.error();
        std::vector<Raw> old;
        if (cb) {
            auto parsed = parseRawItems<Raw>(**cb, layout, c->items);
            if (!parsed) return parsed.error();
            old = std::move(parsed.value());
        }
        for (size_t k = 0; k < t.items; ++k) {
            const int i = first + static_cast<int>(k);
            const bool kept = k < old.size() && itemBytes(**cb, old, k) == itemBytes(*tb, *items, k) &&
                              !(force.first <= i && i <= force.second);
            if (kept) continue;
            if (Status st = S::build(builder, doc, i, (*items)[k]); !st) return st;
        }
        memo.groups[g].block = tb;
        memo.groups[g].inputs.clear();  // written again by the next encode, to the same bytes
    }
    for (size_t i = nTarget + 1; i <= nCur; ++i) S::drop(doc, static_cast<int>(i));
    S::setCount(doc, nTarget);
    return {};
}

}  // namespace

Result<Checkpoint> CheckpointCoder::encode(const Document& doc) {
    State& st = *state_;
    Checkpoint cp;
    const std::array<int16_t, kSectionCount> counts{doc.shapeCount, doc.labelCount, doc.segCount, doc.arrowCount,
                                                    doc.diamondCount};
    for (size_t s = 0; s < kSectionCount; ++s) cp.counts_[s] = static_cast<size_t>(std::max<int16_t>(counts[s], 0));
    ItemFlattener flat(doc, layout_, &st.texts);
    RawDocument frameRaw;
    flat.frame(frameRaw);
    frameRaw.layout = layout_;
    cp.titleLeft_ = frameRaw.titleBlockLeft;
    cp.titleTop_ = frameRaw.titleBlockTop;
    for (size_t s = 0; s < kSectionCount; ++s)
        if (counts[s] < 0) return IoError{"a count of the drawing is negative", std::nullopt};
    auto pieces = encodeRawFrame(frameRaw, cp.counts_);
    if (!pieces) return pieces.error();

    cp.blocks_.reserve(kSectionCount + 1 + groupsOf(cp.counts_[1], Section<RawLabel>::kGroup) + 256);
    auto frame = [&](size_t k) {
        Block& kept = st.frame[k];
        if (!kept || *kept != (*pieces)[k]) kept = std::make_shared<const std::string>(std::move((*pieces)[k]));
        cp.frameAt_[k] = cp.blocks_.size();
        cp.blocks_.push_back(kept);
    };
    Status s;
    auto section = [&](auto& memo, size_t k) {
        s = encodeSection(doc, layout_, flat, memo, cp.counts_[k], cp.blocks_);
        if (s) frame(k + 1);
        return s.ok();
    };
    frame(0);
    section(st.of<RawShape>(), 0) && section(st.of<RawLabel>(), 1) && section(st.of<RawSegment>(), 2) &&
        section(st.of<RawArrow>(), 3) && section(st.of<RawDiamond>(), 4);
    if (!s) return s.error();
    for (const Block& b : cp.blocks_) cp.size_ += b->size();
    return cp;
}

Status CheckpointCoder::restore(Document& doc, const Checkpoint& target, const TextMetrics& metrics) {
    State& st = *state_;
    auto now = encode(doc);
    if (!now) return now.error();
    const Checkpoint& cur = *now;
    const ItemBuilder builder(layout_, metrics);

    // The title block is laid out from its position, which moves the texts of its
    // cells; those are then put back where the checkpoint has them.
    std::pair<int, int> force{1, 0};
    if (layout_ == Layout::Quillmap && (cur.titleLeft_ != target.titleLeft_ || cur.titleTop_ != target.titleTop_)) {
        RawDocument frame;
        frame.layout = layout_;
        frame.titleBlockLeft = target.titleLeft_;
        frame.titleBlockTop = target.titleTop_;
        if (Status s = builder.frame(doc, frame); !s) return s;
        force = {kFirstCellLabel, kLastCellLabel};
    }
    Status s;
    auto section = [&](auto& memo, std::pair<int, int> forced) {
        s = restoreSection(doc, {cur.blocks_, cur.counts_, cur.frameAt_},
                           {target.blocks_, target.counts_, target.frameAt_}, layout_, builder, memo, forced);
        return s.ok();
    };
    const std::pair<int, int> none{1, 0};
    section(st.of<RawShape>(), none) && section(st.of<RawLabel>(), force) && section(st.of<RawSegment>(), none) &&
        section(st.of<RawArrow>(), none) && section(st.of<RawDiamond>(), none);
    if (!s) return s;
    for (size_t k = 0; k <= kSectionCount; ++k) st.frame[k] = target.blocks_[target.frameAt_[k]];

    auto check = encode(doc);
    if (!check) return check.error();
    if (!(*check == target)) return IoError{"the drawing read back from the checkpoint is not the same", std::nullopt};
    return {};
}

}  // namespace qm
