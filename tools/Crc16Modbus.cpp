#include "Crc16Modbus.h"

#include <array>

namespace devicesim {

namespace {

constexpr std::array<std::uint16_t, 256> makeTable() {
  std::array<std::uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    std::uint16_t c = 0;
    unsigned x = i;
    for (int bit = 0; bit < 8; ++bit) {
      c = ((c ^ x) & 1U) != 0 ? static_cast<std::uint16_t>((c >> 1) ^ 0xA001U) : static_cast<std::uint16_t>(c >> 1);
      x >>= 1;
    }
    table[i] = c;
  }
  return table;
}

constexpr std::array<std::uint16_t, 256> kTable = makeTable();

}  // namespace

std::uint16_t crc16ModbusUpdate(std::uint16_t crc, std::uint8_t byte) {
  return static_cast<std::uint16_t>(kTable[(crc ^ byte) & 0xFFU] ^ (crc >> 8));
}

std::uint16_t crc16Modbus(std::span<const std::uint8_t> bytes, std::uint16_t crc) {
  for (const std::uint8_t byte : bytes) crc = crc16ModbusUpdate(crc, byte);
  return crc;
}

}  // namespace devicesim
