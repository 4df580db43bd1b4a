#include <gtest/gtest.h>

#include "elements/Cp1251.h"
#include "elements/THIStrMask.h"

namespace {

TEST(Cp1251Test, RoundTripOfProgramTexts) {
  const std::string utf8 = "Ошибка при передаче данных! ещё Ё №";
  const std::string encoded = cp1251FromUtf8(utf8);
  EXPECT_EQ(encoded.size(), 35u);  // one byte per character
  EXPECT_EQ(static_cast<unsigned char>(encoded[0]), 0xCE);  // О
  EXPECT_EQ(utf8FromCp1251(encoded), utf8);
}

TEST(Cp1251Test, DeviceBytesDecodeWithoutLoss) {
  std::string every;
  for (int b = 0; b < 256; ++b) every.push_back(static_cast<char>(b));
  const std::string decoded = utf8FromCp1251(every);
  EXPECT_EQ(decoded.substr(0, 128), every.substr(0, 128));
  EXPECT_EQ(cp1251FromUtf8("\xF0\x9F\x98\x80"), "?");  // not in the code page
}

TEST(StrMaskTest, WholeTextIgnoringCase) {
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"tarvenmolix", "TARVENMOLIX", true},
      {"TarvenMolix", "TARVENMOLIX", true},
      {"TARVENMOLIX ", "TARVENMOLIX", false},
      {"TARVENMOLI", "TARVENMOLIX", false},
      {"40bf465a", "40BF465A", true},
      {"", "", true},
  };
  for (const auto& [text, mask, equal] : cases) EXPECT_EQ(THIStrMask(mask).matches(text), equal) << text;
  EXPECT_TRUE(equalIgnoringCase(cp1251FromUtf8("ПРИВЕТ"), cp1251FromUtf8("привет")));
}

}  // namespace
