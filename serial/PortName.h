#pragma once
// The port name check made before any device is touched: at most 6 characters, "COM" in any
// letter case, then the decimal digits up to the first other character as the number, 1..255.
// Whatever follows the digits plays no part.

#include <cstdint>
#include <string_view>

// The port number, or 0 when the name fails the check.
std::int32_t portNumberFromName(std::string_view name);

// ASCII-only case-insensitive equality, as port names are compared.
bool sameNameIgnoringCase(std::string_view a, std::string_view b);
