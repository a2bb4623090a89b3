// Cell labels ("12,5": column, comma, row) built in a stack buffer, so that the ray caster's
// lookups allocate nothing.
#pragma once

#include <charconv>
#include <cstdint>
#include <string_view>

class CellLabel {
 public:
  CellLabel(int32_t x, int32_t y) {
    char* end = std::to_chars(text_, text_ + kCapacity, x).ptr;
    *end++ = ',';
    size_ = static_cast<size_t>(std::to_chars(end, text_ + kCapacity, y).ptr - text_);
  }
  std::string_view View() const { return {text_, size_}; }

 private:
  static constexpr size_t kCapacity = 24;  // two int32 values with signs and the comma
  char text_[kCapacity];
  size_t size_;
};
