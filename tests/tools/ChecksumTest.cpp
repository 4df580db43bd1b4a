#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tools/Crc16Modbus.h"
#include "tools/Sha256.h"

namespace {

std::vector<std::uint8_t> bytesOf(std::string_view text) { return {text.begin(), text.end()}; }

// Bit by bit, without a table: the plain definition the table-driven code must agree with.
std::uint16_t crcBitwise(std::span<const std::uint8_t> bytes) {
  std::uint16_t crc = 0xFFFF;
  for (const std::uint8_t byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1U) != 0 ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001U) : crc >> 1;
  }
  return crc;
}

TEST(Crc16ModbusTest, KnownValues) {
  const struct {
    std::vector<std::uint8_t> bytes;
    std::uint16_t crc;
  } cases[] = {
      {bytesOf("123456789"), 0x4B37},  // the catalogue's check value
      {{0x00}, 0x40BF},
      {{0xFF}, 0x00FF},                // leading zero byte in the value
      {{}, 0xFFFF},
  };
  for (const auto& c : cases) EXPECT_EQ(devicesim::crc16Modbus(c.bytes), c.crc);
}

TEST(Crc16ModbusTest, RunningValueAgreesWithTheDefinition) {
  std::mt19937 random(7);
  std::vector<std::uint8_t> bytes(3000);
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
  // Continued over pieces of odd sizes, as the device does page by page.
  std::uint16_t running = devicesim::kCrcStart;
  std::size_t offset = 0;
  for (std::size_t piece = 1; offset < bytes.size(); piece = piece * 3 + 1) {
    const std::size_t take = std::min(piece, bytes.size() - offset);
    running = devicesim::crc16Modbus(std::span(bytes).subspan(offset, take), running);
    offset += take;
  }
  EXPECT_EQ(running, crcBitwise(bytes));
}

TEST(Sha256Test, KnownVectors) {
  const struct {
    std::string message;
    const char* digest;
  } cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      // Lengths around the block and padding boundaries.
      {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
      {std::string(56, 'a'), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
      {std::string(63, 'a'), "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34"},
      {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
      {std::string(65, 'a'), "635361c48bb9eab14198e76ea8ab7f1a41685d6ad62aa9146d301d4f17eb0ae0"},
      {std::string(119, 'a'), "31eba51c313a5c08226adf18d4a359cfdfd8d2e816b13f4af952f7ea6584dcfb"},
      {std::string(120, 'a'), "2f3d335432c70b580af0e8e1b3674a7c020d683aa5f73aaaedfdc55af904c21c"},
  };
  for (const auto& c : cases) EXPECT_EQ(devicesim::sha256Hex(bytesOf(c.message)), c.digest) << c.message.size();
}

TEST(Sha256Test, MillionBytesFedInUnevenPieces) {
  const std::vector<std::uint8_t> message(1'000'000, 'a');
  devicesim::Sha256 hash;
  std::size_t offset = 0;
  for (std::size_t piece = 1; offset < message.size(); piece = piece % 97 + 13) {
    const std::size_t take = std::min(piece, message.size() - offset);
    hash.update(std::span(message).subspan(offset, take));
    offset += take;
  }
  EXPECT_EQ(devicesim::digestHex(hash.finish()), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

}  // namespace
