#pragma once
// The firmware image held in memory with a forward-only read position. It keeps its own copy of
// the bytes it was given; reading past the end yields 0 and leaves the position where it is.

#include <cstdint>
#include <span>
#include <vector>

class FirmwareImage {
 public:
  explicit FirmwareImage(std::span<const std::uint8_t> source) : bytes_(source.begin(), source.end()) {}

  std::uint8_t readNext() {
    if (position_ >= bytes_.size()) return 0;
    return bytes_[position_++];
  }
  std::size_t size() const { return bytes_.size(); }
  std::size_t position() const { return position_; }

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t position_ = 0;
};
