#include "edit/history.h"

namespace qm {
namespace {

// The heap a block takes: its characters and the string and control block around them.
uint64_t blockCost(const Block& b) { return b->capacity() + sizeof(std::string) + 32; }

uint64_t checkpointCost(const Checkpoint& cp) { return cp.blocks().capacity() * sizeof(Block) + sizeof(Checkpoint); }

}  // namespace

void History::hold(const Checkpoint& cp, int by) {
    if (by > 0)
        memory_ += checkpointCost(cp);
    else
        memory_ -= checkpointCost(cp);
    for (const Block& b : cp.blocks()) {
        if (by > 0) {
            if (holders_[b.get()]++ == 0) memory_ += blockCost(b);
        } else if (auto it = holders_.find(b.get()); it != holders_.end() && --it->second == 0) {
            memory_ -= blockCost(b);
            holders_.erase(it);
        }
    }
}

void History::reset(const Checkpoint& now) {
    states_.clear();
    holders_.clear();
    memory_ = 0;
    states_.push_back(now);
    pos_ = 0;
    hold(states_.back(), +1);
    saved_ = now;
    hold(saved_, +1);
}

bool History::record(const Checkpoint& now) {
    if (now == current()) return false;
    while (states_.size() > pos_ + 1) {
        hold(states_.back(), -1);
        states_.pop_back();
    }
    states_.push_back(now);
    hold(states_.back(), +1);
    pos_ = states_.size() - 1;
    while (pos_ > 0 && (steps() > limits_.steps || memory_ > limits_.bytes)) dropOldest();
    return true;
}

void History::dropOldest() {
    hold(states_.front(), -1);
    states_.pop_front();
    --pos_;
}

const Checkpoint* History::undo() {
    if (!canUndo()) return nullptr;
    return &states_[--pos_];
}

const Checkpoint* History::redo() {
    if (!canRedo()) return nullptr;
    return &states_[++pos_];
}

void History::setSaved(const Checkpoint& saved) {
    hold(saved_, -1);
    saved_ = saved;
    hold(saved_, +1);
}

}  // namespace qm
