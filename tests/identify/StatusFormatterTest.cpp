#include <gtest/gtest.h>

#include <string>

#include "identify/StatusFormatter.h"

namespace {

struct FormatCase {
  const char* mask;
  const char* first;
  const char* second;
  std::string expected;
};

class StatusFormatterTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(StatusFormatterTest, FillsTheMask) {
  const FormatCase& c = GetParam();
  EXPECT_EQ(formatStatus(c.mask, c.first, c.second), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Masks, StatusFormatterTest,
    ::testing::Values(
        FormatCase{"D: %1   V: %2", "A", "B", "D: A   V: B"},
        FormatCase{"%1%1|%2", "x", "y", "xx|y"},
        // "%%" is a literal percent sign and never an argument place.
        FormatCase{"100%% %1", "x", "y", "100% x"},
        FormatCase{"%%1 %%2", "x", "y", "%1 %2"},
        // A digit right after the number leaves the place alone.
        FormatCase{"%12 %1", "x", "y", "%12 x"},
        FormatCase{"%1 %23", "x", "y", "x %23"},
        // The first argument is searched again for "%2"; the second is not searched at all.
        FormatCase{"%1 %2", "a%2b", "Z", "aZb Z"},
        FormatCase{"%1 %2", "a%1b", "Z", "a%1b Z"},
        FormatCase{"%2", "x", "%2%2", "%2%2"},
        // The marker keeps a percent sign left by one insertion from forming "%2" with the next.
        FormatCase{"%1%1|%2", "2%", "Z", "2%2%|Z"},
        FormatCase{"%1%2", "%", "2", "%2"},
        // Bytes 0 and 1 in an argument pass through the marker steps as those steps define.
        FormatCase{"%1", "a\1b", "", "ab"},
        FormatCase{"%1.", "", "", "."}));

}  // namespace
