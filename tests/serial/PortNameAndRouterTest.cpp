// Pure logic of the serial link: the port name check and the receive router. No port at all.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serial/PortName.h"
#include "serial/THICommutator.h"

namespace {

struct NameCase {
  const char* name;
  int number;
};

class PortNameCheck : public testing::TestWithParam<NameCase> {};

TEST_P(PortNameCheck, GivesTheNumberOrZero) {
  EXPECT_EQ(portNumberFromName(GetParam().name), GetParam().number) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Names, PortNameCheck,
                         testing::Values(NameCase{"COM1", 1}, NameCase{"com7", 7}, NameCase{"cOm255", 255},
                                         NameCase{"COM12X", 12}, NameCase{"COM3:", 3}, NameCase{"COM001", 1},
                                         NameCase{"COM0", 0}, NameCase{"COM256", 0}, NameCase{"COM", 0},
                                         NameCase{"COMX", 0}, NameCase{"COM X1", 0}, NameCase{"LPT1", 0},
                                         NameCase{"COM1000", 0}, NameCase{"COM-1", 0}, NameCase{"", 0},
                                         NameCase{"CO", 0}, NameCase{"\xC3OM1", 0}));

TEST(PortNameCompare, IgnoresOnlyAsciiLetterCase) {
  EXPECT_TRUE(sameNameIgnoringCase("com7", "COM7"));
  EXPECT_FALSE(sameNameIgnoringCase("COM7", "COM7 "));
  EXPECT_FALSE(sameNameIgnoringCase("COM12X", "COM12"));
  EXPECT_FALSE(sameNameIgnoringCase("\xE0", "\xC0"));  // Windows-1251 letters are not folded
}

struct RouteCase {
  TData index;
  std::vector<std::string> reached;  // "output:chunk" in arrival order
};

class Routing : public testing::TestWithParam<RouteCase> {};

TEST_P(Routing, SendsEachChunkWhereTheIndexSays) {
  dispatch::ScopedSwitch on(true);
  THICommutator router(2);
  std::vector<std::string> reached;
  for (int k = 0; k < 2; ++k)
    router.output(k).link([&reached, k](const TData& v) { reached.push_back(std::to_string(k) + ":" + v.toStr()); });
  const TData index = GetParam().index;
  router.RouteIndex.link([index] { return index; });
  router.doRoute(TData("ab"));
  EXPECT_EQ(reached, GetParam().reached);
}

INSTANTIATE_TEST_SUITE_P(Indices, Routing,
                         testing::Values(RouteCase{TData(0), {"0:ab"}}, RouteCase{TData(1), {"1:ab"}},
                                         RouteCase{TData(-1), {"0:ab", "1:ab"}}, RouteCase{TData(2), {}},
                                         RouteCase{TData("1"), {"1:ab"}}, RouteCase{TData(), {"0:ab"}}));

TEST(Routing, ReadsTheIndexAfreshForEveryChunk) {
  dispatch::ScopedSwitch on(true);
  THICommutator router(2);
  int identified = 0;
  std::vector<std::string> reached;
  router.RouteIndex.link([&identified] { return TData(identified); });
  // The first output accepts the chunk and flips the index while handling it, as the
  // identification unit does.
  router.output(0).link([&](const TData& v) {
    reached.push_back("0:" + v.toStr());
    identified = 1;
  });
  router.output(1).link([&](const TData& v) { reached.push_back("1:" + v.toStr()); });
  for (const char* chunk : {"TARVENMOLIX", "\x12\x34", "FZ"}) router.doRoute(TData(chunk));
  EXPECT_EQ(reached, (std::vector<std::string>{"0:TARVENMOLIX", "1:\x12\x34", "1:FZ"}));
}

TEST(Routing, UnlinkedIndexGoesToTheFirstOutputAndNothingMovesWhileDispatchIsOff) {
  THICommutator router(2);
  std::vector<std::string> reached;
  router.output(0).link([&](const TData& v) { reached.push_back("0:" + v.toStr()); });
  router.doRoute(TData("x"));
  EXPECT_TRUE(reached.empty());
  dispatch::ScopedSwitch on(true);
  router.doRoute(TData("y"));
  EXPECT_EQ(reached, std::vector<std::string>{"0:y"});
}

}  // namespace
