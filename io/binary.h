// Little-endian reading and writing of the fixed-width values documents are made
// of. The reader never reads past its data: a value that does not fit in what
// remains is refused with the offset it would have started at.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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

class ByteWriter {
public:
    void i16(int16_t v);
    void u16(uint16_t v);
    void i32(int32_t v);
    void f32(float v);
    void bytes(std::string_view b) { out_.append(b); }
    void bytes(const void* p, uint64_t n) { out_.append(static_cast<const char*>(p), n); }

    uint64_t pos() const { return out_.size(); }
    const std::string& data() const { return out_; }
    std::string take() { return std::move(out_); }

private:
    std::string out_;
};

}  // namespace qm
