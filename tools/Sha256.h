#pragma once
// SHA-256, small and self-contained, so a report can name exactly which image bytes the device
// received and a test or a person can compare that with the image file.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace devicesim {

using Sha256Digest = std::array<std::uint8_t, 32>;

class Sha256 {
 public:
  Sha256();
  void update(std::span<const std::uint8_t> bytes);
  // Ends the message; the object must not be updated afterwards.
  Sha256Digest finish();

 private:
  void compressBlock(const std::uint8_t* block);

  std::array<std::uint32_t, 8> state_;
  std::array<std::uint8_t, 64> pending_{};
  std::size_t pendingSize_ = 0;
  std::uint64_t totalBytes_ = 0;
};

Sha256Digest sha256(std::span<const std::uint8_t> bytes);
// Lower-case hex, 64 digits, as sha256sum prints it.
std::string sha256Hex(std::span<const std::uint8_t> bytes);
std::string digestHex(const Sha256Digest& digest);

}  // namespace devicesim
