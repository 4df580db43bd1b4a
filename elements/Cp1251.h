#pragma once
// Windows-1251 is the program's text encoding. Texts are written readably in UTF-8 in the source,
// encoded once, and decoded again only where they reach the screen.

#include <string>
#include <string_view>

// UTF-8 to Windows-1251; a character the code page lacks becomes '?'.
std::string cp1251FromUtf8(std::string_view utf8);
// Windows-1251 to UTF-8; every byte has a meaning (0x98, unassigned, becomes U+FFFD).
std::string utf8FromCp1251(std::string_view cp1251);
