#include "export/text_out.h"

#include <algorithm>
#include <cstring>

namespace plenvista {

void TextOut::put(std::string_view text) {
  while (!text.empty()) {
    if (used_ == kCapacity) hand_on();
    const std::size_t n = std::min(text.size(), kCapacity - used_);
    std::memcpy(buffer_.get() + used_, text.data(), n);
    used_ += n;
    text.remove_prefix(n);
  }
}

void TextOut::hand_on() {
  if (ok_ && used_ > 0) ok_ = sink_(std::string_view(buffer_.get(), used_));
  used_ = 0;
}

bool TextOut::finish() {
  hand_on();
  return ok_;
}

std::string text_of(const std::function<void(TextOut&)>& write) {
  std::string text;
  TextOut out([&text](std::string_view chunk) {
    text += chunk;
    return true;
  });
  write(out);
  out.finish();
  return text;
}

}  // namespace plenvista
