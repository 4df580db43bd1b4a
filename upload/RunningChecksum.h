#pragma once
// The running CRC-16/MODBUS over every image byte sent, its 4-digit text, and the two
// acknowledgement patterns re-armed after every byte: the page pattern (the checksum text) and the
// final pattern (the checksum text followed by "465A", the hex text of "FZ"). Before the first byte
// the patterns are "SZ" and "FZ", which no hex text can equal.

#include <cstdint>
#include <string>
#include <string_view>

#include "elements/THIStrMask.h"

// One table-driven CRC-16/MODBUS step (reflected polynomial 0xA001).
std::uint16_t crc16ModbusUpdate(std::uint16_t crc, std::uint8_t byte);

class RunningChecksum {
 public:
  enum class Verdict { FinalAck, PageAck, Rejected };
  struct Judgement {
    Verdict verdict;
    std::string hex;  // the reply as upper-case hex text, two digits per byte
  };

  RunningChecksum();

  // Advances over one byte: the new text goes to onText, then both patterns are re-armed.
  template <typename OnText>
  void advance(std::uint8_t byte, OnText&& onText) {
    update(byte);
    onText(text_);
    rearmPatterns();
  }

  // Final pattern first, then the page pattern; both compared over the whole text, case ignored.
  Judgement judge(std::string_view reply) const;

  std::uint16_t value() const { return value_; }
  const std::string& text() const { return text_; }
  const std::string& pagePattern() const { return pageAckPattern_.mask(); }
  const std::string& finalPattern() const { return finalAckPattern_.mask(); }

 private:
  void update(std::uint8_t byte);
  void rearmPatterns();

  std::uint16_t value_ = 0xFFFF;
  std::string text_ = "FFFF";
  THIStrMask pageAckPattern_{"SZ"};
  THIStrMask finalAckPattern_{"FZ"};
};
