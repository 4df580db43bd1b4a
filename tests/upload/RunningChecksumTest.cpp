#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "upload/RunningChecksum.h"

namespace {

// Advances over the bytes and returns every text handed out, in order.
std::vector<std::string> advanceOver(RunningChecksum& crc, std::string_view bytes) {
  std::vector<std::string> texts;
  for (unsigned char b : bytes) crc.advance(b, [&](const std::string& text) { texts.push_back(text); });
  return texts;
}

// Bit by bit, straight from the definition: reflected 0x8005, initial 0xFFFF, no final XOR.
std::uint16_t bitwiseModbus(std::uint16_t crc, std::uint8_t byte) {
  crc ^= byte;
  for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
  return crc;
}

TEST(RunningChecksumTest, StartsAtFFFFWithPatternsNoHexTextCanEqual) {
  RunningChecksum crc;
  EXPECT_EQ(crc.text(), "FFFF");
  EXPECT_EQ(crc.pagePattern(), "SZ");
  EXPECT_EQ(crc.finalPattern(), "FZ");
  EXPECT_EQ(crc.judge("SZ").verdict, RunningChecksum::Verdict::Rejected);
  EXPECT_EQ(crc.judge("SZ").hex, "535A");
  EXPECT_EQ(crc.judge("FZ").verdict, RunningChecksum::Verdict::Rejected);
  EXPECT_EQ(crc.judge("FZ").hex, "465A");
  EXPECT_EQ(crc.judge(std::string("\xFF\xFF", 2)).verdict, RunningChecksum::Verdict::Rejected);
}

struct TextCase {
  const char* name;
  std::string bytes;
  std::string finalText;
};

class ChecksumTextTable : public ::testing::TestWithParam<TextCase> {};

TEST_P(ChecksumTextTable, TextAfterTheLastByteAndBothPatterns) {
  RunningChecksum crc;
  const auto texts = advanceOver(crc, GetParam().bytes);
  ASSERT_EQ(texts.size(), GetParam().bytes.size());
  EXPECT_EQ(texts.back(), GetParam().finalText);
  EXPECT_EQ(crc.text(), GetParam().finalText);
  EXPECT_EQ(crc.pagePattern(), GetParam().finalText);
  EXPECT_EQ(crc.finalPattern(), GetParam().finalText + "465A");
}

INSTANTIATE_TEST_SUITE_P(Bytes, ChecksumTextTable,
                         ::testing::Values(TextCase{"CheckValue", "123456789", "4B37"},
                                           TextCase{"ZeroByte", std::string(1, '\0'), "40BF"},
                                           TextCase{"FFByteKeepsLeadingZeros", "\xFF", "00FF"},
                                           TextCase{"LineFeedIsOneByte", "\x0A", "473F"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RunningChecksumTest, TableMatchesTheBitwiseDefinitionOverEveryStateAndByte) {
  std::mt19937 random(7);
  for (int round = 0; round < 2000; ++round) {
    const auto crc = static_cast<std::uint16_t>(random());
    for (unsigned b = 0; b < 256; b += 17)
      ASSERT_EQ(crc16ModbusUpdate(crc, static_cast<std::uint8_t>(b)), bitwiseModbus(crc, static_cast<std::uint8_t>(b)));
  }
}

TEST(RunningChecksumTest, TextsAreFourUpperCaseDigitsAfterEveryByte) {
  RunningChecksum crc;
  std::uint16_t expected = 0xFFFF;
  std::string bytes;
  for (int i = 0; i < 600; ++i) bytes.push_back(static_cast<char>(i * 37));
  const auto texts = advanceOver(crc, bytes);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    expected = bitwiseModbus(expected, static_cast<std::uint8_t>(bytes[i]));
    char buffer[5];
    std::snprintf(buffer, sizeof buffer, "%04X", expected);
    ASSERT_EQ(texts[i], buffer) << "byte " << i;
  }
  EXPECT_EQ(crc.value(), expected);
}

TEST(RunningChecksumTest, PatternsAreReArmedOnlyAfterTheTextIsHandedOut) {
  RunningChecksum crc;
  std::string patternSeenByHandler;
  crc.advance(0x00, [&](const std::string&) { patternSeenByHandler = crc.pagePattern(); });
  EXPECT_EQ(patternSeenByHandler, "SZ");
  EXPECT_EQ(crc.pagePattern(), "40BF");
}

struct JudgeCase {
  const char* name;
  std::string reply;
  RunningChecksum::Verdict verdict;
  std::string hex;
};

class JudgeAfterZeroByte : public ::testing::TestWithParam<JudgeCase> {};

// After the single byte 0x00 the checksum is 0x40BF.
TEST_P(JudgeAfterZeroByte, VerdictAndHexText) {
  RunningChecksum crc;
  advanceOver(crc, std::string(1, '\0'));
  const auto judgement = crc.judge(GetParam().reply);
  EXPECT_EQ(judgement.verdict, GetParam().verdict);
  EXPECT_EQ(judgement.hex, GetParam().hex);
}

using V = RunningChecksum::Verdict;
INSTANTIATE_TEST_SUITE_P(
    Replies, JudgeAfterZeroByte,
    ::testing::Values(JudgeCase{"PageAck", "\x40\xBF", V::PageAck, "40BF"},
                      JudgeCase{"FinalAck", "\x40\xBF" "FZ", V::FinalAck, "40BF465A"},
                      JudgeCase{"LowByteFirst", "\xBF\x40", V::Rejected, "BF40"},
                      JudgeCase{"ExtraByteBefore", std::string("\x00\x40\xBF", 3), V::Rejected, "0040BF"},
                      JudgeCase{"ExtraByteAfter", std::string("\x40\xBF\x00", 3), V::Rejected, "40BF00"},
                      JudgeCase{"FinalWithLowerCaseLetters", "\x40\xBF" "fz", V::Rejected, "40BF667A"},
                      JudgeCase{"FinalWithExtraByte", "\x40\xBF" "FZ\r", V::Rejected, "40BF465A0D"},
                      JudgeCase{"HighByteOnly", "\x40", V::Rejected, "40"},
                      JudgeCase{"LowByteOnly", "\xBF", V::Rejected, "BF"},
                      JudgeCase{"Empty", "", V::Rejected, ""},
                      JudgeCase{"TheChecksumAsText", "40BF", V::Rejected, "34304246"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RunningChecksumTest, EqualBytesAreAcceptedInEitherOrder) {
  RunningChecksum crc;
  // Advance until the checksum's high and low bytes are equal (at least one byte: 0xFFFF is too).
  unsigned n = 0;
  do {
    crc.advance(static_cast<std::uint8_t>(n), [](const std::string&) {});
    ASSERT_LT(++n, 1u << 20);
  } while ((crc.value() >> 8) != (crc.value() & 0xFF));
  const char half = static_cast<char>(crc.value() & 0xFF);
  EXPECT_EQ(crc.judge(std::string{half, half}).verdict, V::PageAck);
}

}  // namespace
