#pragma once

// Little-endian binary encoding shared by the camera and project files:
// int32 (two's complement), double (IEEE 754 binary64), and texts stored as
// an int32 length L counting a terminating zero byte that is stored too
// (L = 0: absent text, no bytes). No padding anywhere.
//
// ByteReader never reads past its buffer: every read checks the bytes left
// first and, once one read has failed, every later read fails too, so a
// caller may read a whole record and test ok() once.

#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace plenvista {

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool ok() const { return ok_; }
  std::size_t remaining() const { return ok_ ? bytes_.size() - pos_ : 0; }
  std::size_t position() const { return pos_; }
  void fail() { ok_ = false; }

  bool read_i32(std::int32_t& out) {
    std::uint8_t b[4];
    if (!read_bytes(b, 4)) return false;
    out =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
                                  (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24));
    return true;
  }
  bool read_f64(double& out) {
    std::uint8_t b[8];
    if (!read_bytes(b, 8)) return false;
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | b[i];
    std::memcpy(&out, &v, sizeof out);
    return true;
  }
  // A text: absent for L = 0; otherwise the bytes up to the first zero byte.
  // Fails for a negative L or one longer than the bytes left.
  bool read_text(std::optional<std::string>& out) {
    std::int32_t length = 0;
    if (!read_i32(length)) return false;
    if (length < 0 || static_cast<std::size_t>(length) > remaining()) {
      ok_ = false;
      return false;
    }
    if (length == 0) {
      out.reset();
      return true;
    }
    const char* start = reinterpret_cast<const char*>(bytes_.data() + pos_);
    out = std::string(start, strnlen(start, static_cast<std::size_t>(length)));
    pos_ += static_cast<std::size_t>(length);
    return true;
  }
  bool read_bytes(void* out, std::size_t n) {
    if (!ok_ || n > bytes_.size() - pos_) {
      ok_ = false;
      return false;
    }
    std::memcpy(out, bytes_.data() + pos_, n);
    pos_ += n;
    return true;
  }
  bool skip(std::size_t n) {
    if (!ok_ || n > bytes_.size() - pos_) {
      ok_ = false;
      return false;
    }
    pos_ += n;
    return true;
  }
  // A count that must fit the bytes left at `min_record_size` bytes a
  // record; fails for a negative count or one the buffer cannot hold, so a
  // count read from a file never drives an allocation by itself.
  bool read_count(std::int32_t& out, std::size_t min_record_size) {
    if (!read_i32(out)) return false;
    if (out < 0 || (min_record_size > 0 && static_cast<std::size_t>(out) > remaining() / min_record_size)) {
      ok_ = false;
      return false;
    }
    return true;
  }

 private:
  static std::size_t strnlen(const char* s, std::size_t max) {
    const void* zero = std::memchr(s, 0, max);
    return zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - s) : max;
  }

  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

class ByteWriter {
 public:
  void i32(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    const char b[4] = {static_cast<char>(u & 0xFF), static_cast<char>((u >> 8) & 0xFF),
                       static_cast<char>((u >> 16) & 0xFF), static_cast<char>((u >> 24) & 0xFF)};
    out_.append(b, 4);
  }
  void f64(double v) {
    std::uint64_t u = 0;
    std::memcpy(&u, &v, sizeof u);
    char b[8];
    for (int i = 0; i < 8; ++i) b[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
    out_.append(b, 8);
  }
  // Length including the stored zero byte; absent texts as length 0.
  void text(const std::optional<std::string>& t) {
    if (!t) {
      i32(0);
      return;
    }
    text(std::string_view(*t));
  }
  void text(std::string_view t) {
    i32(static_cast<std::int32_t>(t.size() + 1));
    out_.append(t);
    out_.push_back('\0');
  }
  void bytes(const void* data, std::size_t n) { out_.append(static_cast<const char*>(data), n); }
  void reserve(std::size_t n) { out_.reserve(n); }

  const std::string& data() const { return out_; }
  std::string& data() { return out_; }

 private:
  std::string out_;
};

}  // namespace plenvista
