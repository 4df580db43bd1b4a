#include "StatusFormatter.h"

namespace {

constexpr char kPlaceholder = '\0';  // stands for "%" while the arguments go in
constexpr char kMarker = '\1';       // keeps an inserted argument from joining the text before it

bool isDigit(char c) { return c >= '0' && c <= '9'; }

void insertArgument(std::string& text, char number, std::string_view argument) {
  std::size_t at = 0;
  while ((at = text.find('%', at)) != std::string::npos) {
    const bool isThisNumber = at + 1 < text.size() && text[at + 1] == number;
    if (!isThisNumber || (at + 2 < text.size() && isDigit(text[at + 2]))) {
      ++at;
      continue;
    }
    std::string inserted(1, kMarker);
    inserted.append(argument);
    text.replace(at, 2, inserted);
    at += inserted.size();
  }
}

}  // namespace

std::string formatStatus(std::string_view mask, std::string_view first, std::string_view second) {
  std::string text;
  text.reserve(mask.size() + first.size() + second.size() + 2);
  for (std::size_t i = 0; i < mask.size(); ++i) {
    if (mask[i] == '%' && i + 1 < mask.size() && mask[i + 1] == '%') {
      text.push_back(kPlaceholder);
      ++i;
    } else {
      text.push_back(mask[i]);
    }
  }
  insertArgument(text, '1', first);
  insertArgument(text, '2', second);

  std::string result;
  result.reserve(text.size());
  for (char c : text) {
    if (c == kMarker) continue;
    result.push_back(c == kPlaceholder ? '%' : c);
  }
  return result;
}
