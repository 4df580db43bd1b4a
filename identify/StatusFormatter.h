#pragma once
// Fills a status mask: "%%" stands for a literal "%", "%1" and "%2" (not followed by a digit) for
// the two arguments. Text put in for "%1" is searched again for "%2".

#include <string>
#include <string_view>

std::string formatStatus(std::string_view mask, std::string_view first, std::string_view second);
