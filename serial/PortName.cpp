#include "PortName.h"

namespace {

char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::int32_t portNumberFromName(std::string_view name) {
  constexpr std::size_t kLongestName = 6;
  if (name.size() > kLongestName || name.size() < 3) return 0;
  if (!sameNameIgnoringCase(name.substr(0, 3), "COM")) return 0;
  std::int32_t number = 0;
  // At most three digits fit in six characters, so the sum cannot overflow.
  for (std::size_t i = 3; i < name.size() && isDigit(name[i]); ++i) number = number * 10 + (name[i] - '0');
  return (number >= 1 && number <= 255) ? number : 0;
}

bool sameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (asciiUpper(a[i]) != asciiUpper(b[i])) return false;
  return true;
}
