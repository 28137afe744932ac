// The past of one drawing: a checkpoint of what Save would write after every step,
// for Undo and Redo, and the checkpoint of the file last opened or saved, for the
// changed mark. Checkpoints share their blocks, so a step costs what it changed;
// past the bounds the oldest steps go.
#pragma once
#include <cstdint>
#include <deque>
#include <unordered_map>

#include "io/checkpoint.h"

namespace qm {

struct HistoryLimits {
    size_t steps = 1000;
    uint64_t bytes = uint64_t{64} << 20;
};

class History {
public:
    explicit History(HistoryLimits limits = {}) : limits_(limits) {}

    // Forgets every step: `now` is the only checkpoint, and the saved one.
    void reset(const Checkpoint& now);
    // A new step when `now` differs from the current checkpoint; what could have
    // been redone goes. False when nothing changed.
    bool record(const Checkpoint& now);

    const Checkpoint& current() const { return states_[pos_]; }
    bool canUndo() const { return pos_ > 0; }
    bool canRedo() const { return pos_ + 1 < states_.size(); }
    // Moves one step back or forward; the checkpoint to put back, or null.
    const Checkpoint* undo();
    const Checkpoint* redo();

    const Checkpoint& saved() const { return saved_; }
    void setSaved(const Checkpoint& saved);

    size_t steps() const { return states_.size() - 1; }
    // What the checkpoints hold, each shared block counted once.
    uint64_t memory() const { return memory_; }

private:
    void hold(const Checkpoint& cp, int by);
    void dropOldest();

    HistoryLimits limits_;
    std::deque<Checkpoint> states_{Checkpoint{}};
    size_t pos_ = 0;
    Checkpoint saved_;
    std::unordered_map<const std::string*, size_t> holders_;  // block -> checkpoints holding it
    uint64_t memory_ = 0;
};

}  // namespace qm
