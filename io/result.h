// Results of the file code: a value or an error that says what is wrong and, for
// faults in a file's contents, at which byte. Nothing here throws; the shell or a
// command-line tool decides how to show the error.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace qm {

struct IoError {
    std::string message;
    std::optional<uint64_t> offset;  // byte in the file (or text) the fault lies at
    // A save whose new bytes already stand under the target's name: only making
    // that last on the disk failed, so "the old file is unchanged" would be untrue.
    bool replaced = false;

    // The message, followed by " (byte N)" when the offset is known.
    std::string describe() const;
};

template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : v_(std::in_place_index<0>, std::move(value)) {}
    Result(IoError error) : v_(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<0>(v_); }
    const T& value() const& { return std::get<0>(v_); }
    T&& value() && { return std::get<0>(std::move(v_)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

    const IoError& error() const { return std::get<1>(v_); }

private:
    std::variant<T, IoError> v_;
};

class [[nodiscard]] Status {
public:
    Status() = default;
    Status(IoError error) : error_(std::move(error)) {}

    bool ok() const { return !error_; }
    explicit operator bool() const { return ok(); }
    const IoError& error() const { return *error_; }

private:
    std::optional<IoError> error_;
};

}  // namespace qm
