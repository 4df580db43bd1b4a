#include <gtest/gtest.h>

#include <limits>

#include "elements/TData.h"

namespace {

struct IntCase {
  TData value;
  std::int32_t expected;
};

TEST(TDataTest, TakenAsInteger) {
  const IntCase cases[] = {
      {TData(), 0},
      {TData(-5), -5},
      {TData("-0"), 0},
      {TData("+7"), 7},
      {TData("12abc"), 12},
      {TData("$1F"), 0},
      {TData("0x10"), 0},
      {TData(" 5"), 0},
      {TData("-"), 0},
      {TData(""), 0},
      {TData("2147483647"), 2147483647},
      {TData("-2147483648"), std::numeric_limits<std::int32_t>::min()},
      {TData("2147483648"), std::numeric_limits<std::int32_t>::max()},
      {TData("99999999999999999999999"), std::numeric_limits<std::int32_t>::max()},
      {TData("-99999999999999999999999"), std::numeric_limits<std::int32_t>::min()},
      {TData(2.5), 2},
      {TData(3.5), 4},
      {TData(-2.5), -2},
      {TData(2.6), 3},
      {TData(1e30), std::numeric_limits<std::int32_t>::max()},
      {TData(std::numeric_limits<double>::quiet_NaN()), 0},
  };
  for (const auto& c : cases) EXPECT_EQ(c.value.toInt(), c.expected) << c.value.toStr();
}

TEST(TDataTest, TakenAsString) {
  EXPECT_EQ(TData().toStr(), "");
  EXPECT_EQ(TData(42).toStr(), "42");
  EXPECT_EQ(TData(-42).toStr(), "-42");
  EXPECT_EQ(TData(2.5).toStr(), "2.5");
  EXPECT_EQ(TData(3.0).toStr(), "3");
  const std::string withNul("a\0b", 3);
  EXPECT_EQ(TData(withNul).toStr(), withNul);
}

TEST(TDataTest, TakenAsReal) {
  EXPECT_EQ(TData().toReal(), 0.0);
  EXPECT_EQ(TData(7).toReal(), 7.0);
  EXPECT_EQ(TData("2.25xyz").toReal(), 2.25);
  EXPECT_EQ(TData("-1.5").toReal(), -1.5);
  EXPECT_EQ(TData("+4").toReal(), 4.0);
  EXPECT_EQ(TData("inf").toReal(), 0.0);
  EXPECT_EQ(TData("nan").toReal(), 0.0);
  EXPECT_EQ(TData("$10").toReal(), 0.0);
}

TEST(TDataTest, TruthRuleOnlyIntegerZeroIsFalse) {
  const std::pair<TData, bool> cases[] = {
      {TData(0), false}, {TData(1), true},    {TData(-1), true}, {TData(), true},
      {TData("0"), true}, {TData(""), true},  {TData(0.0), true}, {TData("TARVENMOLIX"), true},
  };
  for (const auto& [value, truth] : cases) EXPECT_EQ(isTrue(value), truth) << value.toStr();
}

TEST(TDataTest, ChainedValueTravelsWithCopies) {
  TData value("COM3");
  value.chain(TData(3));
  const TData copy = value;
  ASSERT_NE(copy.next(), nullptr);
  EXPECT_EQ(copy.next()->toInt(), 3);
  EXPECT_EQ(copy.toStr(), "COM3");
}

}  // namespace
