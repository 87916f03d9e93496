#pragma once

// TextOut: export text assembled in one fixed buffer of kCapacity bytes and
// handed on chunk by chunk to a sink (a file being written, or a string), so
// a large export never holds its whole text and never copies a growing one.
//
// Writers ask for room for one line, write it in place and commit its end;
// texts of any length go through put(). Once the sink refuses a chunk it is
// given nothing more and finish() reports the failure; the text is still
// taken, and dropped.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace plenvista {

class TextOut {
 public:
  using Sink = std::function<bool(std::string_view)>;
  static constexpr std::size_t kCapacity = std::size_t{1} << 20;

  explicit TextOut(Sink sink) : sink_(std::move(sink)), buffer_(new char[kCapacity]) {}

  // Where the next `size` characters (at most kCapacity) can be written.
  char* room(std::size_t size) {
    if (kCapacity - used_ < size) hand_on();
    return buffer_.get() + used_;
  }
  // Takes the characters written at room() up to `end`.
  void commit(const char* end) { used_ = static_cast<std::size_t>(end - buffer_.get()); }

  void put(std::string_view text);
  template <std::size_t N>
  void put(const char (&text)[N]) {
    put(std::string_view(text, N - 1));
  }

  // Hands on the rest; false when the sink refused any chunk.
  bool finish();

 private:
  void hand_on();

  Sink sink_;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
  bool ok_ = true;
};

// The whole text a writer produces, as one string.
std::string text_of(const std::function<void(TextOut&)>& write);

}  // namespace plenvista
