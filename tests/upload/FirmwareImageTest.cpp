#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "resources/EmbeddedFirmware.h"
#include "upload/FirmwareImage.h"

namespace {

TEST(FirmwareImageTest, ReadsForwardThenZerosWithoutMoving) {
  const std::vector<std::uint8_t> bytes{0x10, 0x00, 0xFF};
  FirmwareImage image(bytes);
  EXPECT_EQ(image.readNext(), 0x10);
  EXPECT_EQ(image.readNext(), 0x00);
  EXPECT_EQ(image.readNext(), 0xFF);
  EXPECT_EQ(image.position(), 3u);
  EXPECT_EQ(image.readNext(), 0);
  EXPECT_EQ(image.readNext(), 0);
  EXPECT_EQ(image.position(), 3u);
}

TEST(FirmwareImageTest, EmptyImageYieldsZeroForEveryRead) {
  FirmwareImage image(std::span<const std::uint8_t>{});
  for (int i = 0; i < 300; ++i) ASSERT_EQ(image.readNext(), 0);
  EXPECT_EQ(image.position(), 0u);
}

TEST(FirmwareImageTest, KeepsItsOwnCopyOfTheBytes) {
  std::vector<std::uint8_t> bytes{1, 2, 3};
  FirmwareImage image(bytes);
  bytes.assign(3, 9);
  EXPECT_EQ(image.readNext(), 1);
}

TEST(FirmwareImageTest, EmbeddedImageIsReadInOrderAndThenGivesZeros) {
  const auto embedded = embeddedFirmware();
  ASSERT_EQ(embedded.size(), 260096u);
  FirmwareImage image(embedded);
  for (std::size_t i = 0; i < embedded.size(); ++i) ASSERT_EQ(image.readNext(), embedded[i]) << "offset " << i;
  for (int i = 0; i < 256; ++i) ASSERT_EQ(image.readNext(), 0);
  EXPECT_EQ(image.position(), 260096u);
}

}  // namespace
