#pragma once
// The first three space-separated words of a device reply. Each word ends at the next space, the
// last one at the next space or the end; two spaces in a row give an empty word, and anything after
// a third space is dropped. No byte other than the space is special.

#include <array>
#include <string>
#include <string_view>

std::array<std::string, 3> splitReplyWords(std::string_view text);
