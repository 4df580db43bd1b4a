#include "THIStrMask.h"

char lowerCp1251(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte >= 'A' && byte <= 'Z') return static_cast<char>(byte + 0x20);
  if (byte >= 0xC0 && byte <= 0xDF) return static_cast<char>(byte + 0x20);  // А..Я
  if (byte == 0xA8) return static_cast<char>(0xB8);                         // Ё
  return c;
}

bool equalIgnoringCase(std::string_view text, std::string_view mask) {
  if (text.size() != mask.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (lowerCp1251(text[i]) != lowerCp1251(mask[i])) return false;
  return true;
}
