#include "ReplyWords.h"

std::array<std::string, 3> splitReplyWords(std::string_view text) {
  std::array<std::string, 3> words;
  std::string_view rest = text;
  for (std::string& word : words) {
    const std::size_t space = rest.find(' ');
    if (space == std::string_view::npos) {
      word.assign(rest);
      rest = {};
    } else {
      word.assign(rest.substr(0, space));
      rest.remove_prefix(space + 1);
    }
  }
  return words;
}
