// An indexed family of like elements whose index 0 is the hidden template.
// Indices are never compacted; touching an index that does not exist, or creating
// one that does, is reported to the caller rather than being undefined. Creating
// or destroying one element never moves the others, so a reference to an element
// stays good until that element is destroyed.
#pragma once
#include <cstdint>
#include <optional>
#include <deque>

namespace qm {

enum class ElemStatus { Ok, AlreadyExists, NoSuchElement };

// Largest index any collection can hold: counters are 16-bit signed.
inline constexpr int kMaxIndex = 32767;

template <class T>
class Collection {
public:
    explicit Collection(T templ = T{}) { items_.emplace_back(std::move(templ)); }

    T& templ() { return *items_[0]; }
    const T& templ() const { return *items_[0]; }

    // A copy of the template, hidden, at index i (1..kMaxIndex).
    ElemStatus create(int i) {
        if (i < 1 || i > kMaxIndex) return ElemStatus::NoSuchElement;
        if (static_cast<size_t>(i) >= items_.size()) items_.resize(static_cast<size_t>(i) + 1);
        if (items_[i]) return ElemStatus::AlreadyExists;
        items_[i] = *items_[0];
        items_[i]->visible = false;
        return ElemStatus::Ok;
    }

    ElemStatus destroy(int i) {
        if (i < 1 || !exists(i)) return ElemStatus::NoSuchElement;
        items_[i].reset();
        while (items_.size() > 1 && !items_.back()) items_.pop_back();
        return ElemStatus::Ok;
    }

    // Index 0 is the template, reached only through templ(), so that no element
    // operation can change it by accident.
    bool exists(int i) const {
        return i >= 1 && static_cast<size_t>(i) < items_.size() && items_[i].has_value();
    }

    // The element at i, or nullptr when it does not exist.
    T* find(int i) { return exists(i) ? &*items_[i] : nullptr; }
    const T* find(int i) const { return exists(i) ? &*items_[i] : nullptr; }

    // Sets visibility if the element exists; false when it does not.
    bool setVisible(int i, bool v) {
        if (T* e = find(i)) { e->visible = v; return true; }
        return false;
    }
    bool visible(int i) const {
        const T* e = find(i);
        return e && e->visible;
    }

    // One past the highest index that may exist; for iterating over elements.
    int end() const { return static_cast<int>(items_.size()); }

    // Destroys every element except the template.
    void clear() { items_.resize(1); }

private:
    std::deque<std::optional<T>> items_;
};

}  // namespace qm
