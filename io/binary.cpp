#include "io/binary.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace qm {
namespace {

uint32_t le32(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
           static_cast<uint32_t>(b[3]) << 24;
}

}  // namespace

void ByteReader::fail(std::string message, uint64_t at) {
    if (!error_) error_ = IoError{std::move(message), at};
}

bool ByteReader::need(uint64_t n, std::string_view what) {
    if (error_) return false;
    if (n <= remaining()) return true;
    fail(std::string(what) + ": needs " + std::to_string(n) + " bytes but the data ends after " +
             std::to_string(remaining()),
         pos_);
    return false;
}

bool ByteReader::u16(uint16_t& v, std::string_view what) {
    if (!need(2, what)) return false;
    const auto* b = reinterpret_cast<const unsigned char*>(data_.data() + pos_);
    v = static_cast<uint16_t>(b[0] | b[1] << 8);
    pos_ += 2;
    return true;
}

bool ByteReader::i16(int16_t& v, std::string_view what) {
    uint16_t u = 0;
    if (!u16(u, what)) return false;
    v = static_cast<int16_t>(u);
    return true;
}

bool ByteReader::i32(int32_t& v, std::string_view what) {
    if (!need(4, what)) return false;
    v = static_cast<int32_t>(le32(data_.data() + pos_));
    pos_ += 4;
    return true;
}

bool ByteReader::f32(float& v, std::string_view what) {
    if (!need(4, what)) return false;
    v = std::bit_cast<float>(le32(data_.data() + pos_));
    pos_ += 4;
    return true;
}

bool ByteReader::bytes(void* out, uint64_t n, std::string_view what) {
    if (!need(n, what)) return false;
    if (n > 0) std::memcpy(out, data_.data() + pos_, n);
    pos_ += n;
    return true;
}

bool ByteReader::bytes(std::string& out, uint64_t n, std::string_view what) {
    if (!need(n, what)) return false;
    out.assign(data_.data() + pos_, n);
    pos_ += n;
    return true;
}

void ByteWriter::grow(uint64_t n) { out_.resize(std::max<uint64_t>(2 * out_.size(), used_ + n)); }

}  // namespace qm
