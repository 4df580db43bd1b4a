#pragma once
// Hexadecimal texts such as "$A001" or the running checksum "4B37".

#include <cstdint>
#include <string>
#include <string_view>

// Optional leading "$", then hex digits of either case up to the first other character; no digits
// give 0. Digits past 32 bits shift the older ones out.
std::uint32_t parseHexText(std::string_view text);

// Upper-case digits, zero-padded to at least minDigits.
std::string formatHexText(std::uint32_t value, int minDigits);

// Two upper-case digits per byte, high nibble first, no separator.
std::string bytesToHexText(std::string_view bytes);
