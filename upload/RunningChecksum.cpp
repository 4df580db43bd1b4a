#include "RunningChecksum.h"

#include <array>

#include "elements/HexText.h"

namespace {

constexpr std::uint16_t kPolynomial = 0xA001;

constexpr std::array<std::uint16_t, 256> makeTable() {
  std::array<std::uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned c = 0;
    unsigned x = i;
    for (int bit = 0; bit < 8; ++bit) {
      c = ((c ^ x) & 1) ? (c >> 1) ^ kPolynomial : c >> 1;
      x >>= 1;
    }
    table[i] = static_cast<std::uint16_t>(c);
  }
  return table;
}

constexpr std::array<std::uint16_t, 256> kTable = makeTable();
constexpr char kDigits[] = "0123456789ABCDEF";
constexpr std::string_view kFinalSuffix = "465A";  // "FZ" as hex text

}  // namespace

std::uint16_t crc16ModbusUpdate(std::uint16_t crc, std::uint8_t byte) {
  return static_cast<std::uint16_t>(kTable[(crc ^ byte) & 0xFF] ^ (crc >> 8));
}

RunningChecksum::RunningChecksum() = default;

void RunningChecksum::update(std::uint8_t byte) {
  value_ = crc16ModbusUpdate(value_, byte);
  // Four upper-case digits in place: the text keeps its size and its buffer.
  for (int i = 0; i < 4; ++i) text_[i] = kDigits[(value_ >> (12 - 4 * i)) & 0xF];
}

void RunningChecksum::rearmPatterns() {
  std::string finalPattern;
  finalPattern.reserve(text_.size() + kFinalSuffix.size());
  finalPattern.append(text_).append(kFinalSuffix);
  finalAckPattern_.setMask(std::move(finalPattern));
  pageAckPattern_.setMask(text_);
}

RunningChecksum::Judgement RunningChecksum::judge(std::string_view reply) const {
  std::string hex = bytesToHexText(reply);
  if (finalAckPattern_.matches(hex)) return {Verdict::FinalAck, std::move(hex)};
  if (pageAckPattern_.matches(hex)) return {Verdict::PageAck, std::move(hex)};
  return {Verdict::Rejected, std::move(hex)};
}
