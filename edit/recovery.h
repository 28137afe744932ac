// Crash recovery for an editor: while the drawing has unsaved changes a copy of it
// is kept in the program's recovery folder, written only when the editor is at
// rest and at most once an interval, and removed once the drawing has none; at
// start the copies of programs that died are offered back.
#pragma once
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "io/recovery_store.h"
#include "model/editor.h"

namespace qm {

// The interval: 30 s, or the whole seconds in QUILLMAP_AUTOSAVE_SECONDS.
std::chrono::milliseconds recoveryInterval();

class Recovery {
public:
    using Clock = std::chrono::steady_clock;

    Recovery(RecoveryStore store, Layout layout, std::chrono::milliseconds interval)
        : store_(std::move(store)), layout_(layout), interval_(interval) {}

    // The program's recovery in its folder (named after the program); nothing,
    // after telling the user once, when the folder cannot be used.
    static std::optional<Recovery> start(Editor& ed, std::string_view program, Layout layout);

    // After every event and on a timer: writes the copy when the drawing has
    // unsaved changes the copy lacks, the editor is at rest and the interval has
    // passed since the last one; removes it as soon as the drawing has no unsaved
    // changes.
    void update(Editor& ed, Clock::time_point now);
    // A normal exit, or the drawing thrown away: the copy goes.
    void discard() { store_.discard(); }

    // At start, with an unchanged drawing: offers the copies of programs that no
    // longer run, newest first, until one is taken. Yes opens it as a changed
    // drawing under its file's name; No deletes it; a dismissed question leaves it
    // for the next start. Damaged or foreign copies are set aside and reported once,
    // and what killed writes of copies left behind is removed. True when a copy was
    // opened.
    bool offerOrphans(Editor& ed);

    const RecoveryStore& store() const { return store_; }

private:
    RecoveryStore store_;
    Layout layout_;
    std::chrono::milliseconds interval_;
    std::optional<Clock::time_point> lastCopy_;
    std::string copied_, copiedName_;  // what the copy holds
    bool failureReported_ = false;
};

}  // namespace qm
