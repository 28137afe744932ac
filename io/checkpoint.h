// What Save would write, kept in blocks cut at item boundaries: the bytes around
// the sections, and each section's items in groups of a fixed size. One coder
// makes the checkpoints of one editor; a group whose items did not change since
// the coder last saw them is neither written nor stored again, so a history of
// checkpoints pays for a step only with the groups the step changed, and a
// checkpoint is read back into the drawing group by group, only where it differs.
#pragma once
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "io/document_build.h"
#include "io/raw_document.h"
#include "model/document.h"
#include "model/text_metrics.h"

namespace qm {

using Block = std::shared_ptr<const std::string>;

class Checkpoint {
public:
    const std::vector<Block>& blocks() const { return blocks_; }
    uint64_t size() const { return size_; }
    // The bytes of the file, in one piece.
    std::string bytes() const;
    // Equal bytes. Equal counts cut equal bytes into equal blocks, so blocks are
    // compared pairwise, and most of them as pointers.
    bool operator==(const Checkpoint& other) const;

private:
    friend class CheckpointCoder;
    std::vector<Block> blocks_;
    std::array<size_t, kSectionCount> counts_{};
    std::array<size_t, kSectionCount + 1> frameAt_{};  // where each piece around the sections lies
    float titleLeft_ = 0, titleTop_ = 0;
    uint64_t size_ = 0;
};

class CheckpointCoder {
public:
    explicit CheckpointCoder(Layout layout);
    ~CheckpointCoder();
    CheckpointCoder(CheckpointCoder&&) noexcept;
    CheckpointCoder& operator=(CheckpointCoder&&) noexcept;

    Layout layout() const { return layout_; }

    // The checkpoint of `doc`, or why the document could not be saved.
    Result<Checkpoint> encode(const Document& doc);

    // Makes `doc` hold the drawing of `target`, as reading its bytes would, but
    // reads only the items that differ from what `doc` holds now. What the file
    // does not hold (colours, handles, the editor's state) is left as it
    // is. On success encode(doc) gives `target` again, sharing its blocks. On
    // failure `doc` may be half changed and must be replaced by a full read.
    Status restore(Document& doc, const Checkpoint& target, const TextMetrics& metrics);

private:
    struct State;  // per group of items: what they were, and the block they gave
    Layout layout_;
    std::unique_ptr<State> state_;
};

}  // namespace qm
