#pragma once
// The device's running checksum: CRC-16/MODBUS (reflected polynomial 0xA001, start 0xFFFF, no
// final XOR), table-driven. The device keeps its own copy rather than borrowing the tool's, so the
// two sides can catch each other's mistakes.

#include <cstdint>
#include <span>

namespace devicesim {

inline constexpr std::uint16_t kCrcStart = 0xFFFF;

std::uint16_t crc16ModbusUpdate(std::uint16_t crc, std::uint8_t byte);

// The running value after every byte of `bytes`, starting from `crc`.
std::uint16_t crc16Modbus(std::span<const std::uint8_t> bytes, std::uint16_t crc = kCrcStart);

}  // namespace devicesim
