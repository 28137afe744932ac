// Little-endian reading and writing of the fixed-width values documents are made
// of. The reader never reads past its data: a value that does not fit in what
// remains is refused with the offset it would have started at.
#pragma once
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "io/result.h"

namespace qm {

class ByteReader {
public:
    explicit ByteReader(std::string_view data) : data_(data) {}

    uint64_t pos() const { return pos_; }
    uint64_t size() const { return data_.size(); }
    uint64_t remaining() const { return data_.size() - pos_; }

    // Each returns false, reads nothing and records the error when fewer bytes
    // remain than the value needs. `what` names the value in that error.
    bool i16(int16_t& v, std::string_view what = "value");
    bool u16(uint16_t& v, std::string_view what = "value");
    bool i32(int32_t& v, std::string_view what = "value");
    bool f32(float& v, std::string_view what = "value");
    bool bytes(void* out, uint64_t n, std::string_view what = "bytes");
    bool bytes(std::string& out, uint64_t n, std::string_view what = "bytes");

    bool failed() const { return error_.has_value(); }
    const IoError& error() const { return *error_; }
    // Records an error of the caller's own (the first error is kept).
    void fail(std::string message, uint64_t at);

private:
    bool need(uint64_t n, std::string_view what);

    std::string_view data_;
    uint64_t pos_ = 0;
    std::optional<IoError> error_;
};

// Writes into room it makes ahead, inline: a drawing's checkpoint writes a few
// hundred thousand fields at a time, and a call into the string for each would
// cost more than the field.
class ByteWriter {
public:
    void u16(uint16_t v) {
        char* p = room(2);
        p[0] = static_cast<char>(v & 0xFF);
        p[1] = static_cast<char>(v >> 8);
    }
    void i16(int16_t v) { u16(static_cast<uint16_t>(v)); }
    void i32(int32_t v) {
        const auto u = static_cast<uint32_t>(v);
        char* p = room(4);
        for (int k = 0; k < 4; ++k) p[k] = static_cast<char>((u >> (8 * k)) & 0xFF);
    }
    void f32(float v) { i32(static_cast<int32_t>(std::bit_cast<uint32_t>(v))); }
    void i16s(std::span<const int16_t> vs) {
        char* p = room(2 * vs.size());
        for (int16_t v : vs) {
            const auto u = static_cast<uint16_t>(v);
            *p++ = static_cast<char>(u & 0xFF);
            *p++ = static_cast<char>(u >> 8);
        }
    }
    void bytes(std::string_view b) { bytes(b.data(), b.size()); }
    void bytes(const void* p, uint64_t n) {
        if (n > 0) std::memcpy(room(n), p, n);
    }
    // Room for n bytes in all, made at once: a writer that fills it exactly hands
    // over a string with no room to spare.
    void reserve(uint64_t n) {
        if (n > out_.size()) out_.resize(n);
    }

    uint64_t pos() const { return used_; }
    std::string_view data() const { return {out_.data(), used_}; }
    std::string take() {
        out_.resize(used_);
        used_ = 0;
        return std::exchange(out_, {});
    }

private:
    char* room(uint64_t n) {
        if (out_.size() - used_ < n) grow(n);
        char* p = out_.data() + used_;
        used_ += n;
        return p;
    }
    void grow(uint64_t n);

    std::string out_;  // written up to used_; the rest is room
    uint64_t used_ = 0;
};

}  // namespace qm
