#include <gtest/gtest.h>

#include "elements/HexText.h"

namespace {

TEST(HexTextTest, Parse) {
  const std::pair<const char*, std::uint32_t> cases[] = {
      {"$A001", 0xA001}, {"$FFFF", 0xFFFF}, {"ffff", 0xFFFF}, {"4b37", 0x4B37},
      {"12G4", 0x12},    {"", 0},           {"$", 0},         {"xyz", 0},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(parseHexText(text), value) << text;
}

TEST(HexTextTest, Format) {
  EXPECT_EQ(formatHexText(0xFF, 4), "00FF");
  EXPECT_EQ(formatHexText(0xA, 1), "A");
  EXPECT_EQ(formatHexText(0, 1), "0");
  EXPECT_EQ(formatHexText(0x4B37, 4), "4B37");
  EXPECT_EQ(bytesToHexText(std::string("\x40\xBF" "FZ", 4)), "40BF465A");
  EXPECT_EQ(bytesToHexText(""), "");
}

}  // namespace
