#include "HexText.h"

namespace {

int hexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

constexpr char kDigits[] = "0123456789ABCDEF";

}  // namespace

std::uint32_t parseHexText(std::string_view text) {
  if (!text.empty() && text.front() == '$') text.remove_prefix(1);
  std::uint32_t value = 0;
  for (char c : text) {
    const int digit = hexDigitValue(c);
    if (digit < 0) break;
    value = (value << 4) | static_cast<std::uint32_t>(digit);
  }
  return value;
}

std::string formatHexText(std::uint32_t value, int minDigits) {
  std::string reversed;
  do {
    reversed.push_back(kDigits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  while (static_cast<int>(reversed.size()) < minDigits) reversed.push_back('0');
  return {reversed.rbegin(), reversed.rend()};
}

std::string bytesToHexText(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size() * 2);
  for (unsigned char byte : bytes) {
    text.push_back(kDigits[byte >> 4]);
    text.push_back(kDigits[byte & 0xF]);
  }
  return text;
}
