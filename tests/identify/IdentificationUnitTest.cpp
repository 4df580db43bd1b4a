#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "elements/Cp1251.h"
#include "identify/hiMultiElementEx_25386E0.h"

namespace {

// One fired event: its name, the kind of its value and the value as text.
struct Fired {
  std::string event;
  TData::Kind kind;
  std::string value;
  bool operator==(const Fired&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Fired& f) {
  return out << f.event << "(" << static_cast<int>(f.kind) << ":" << ::testing::PrintToString(f.value) << ")";
}

Fired str(std::string event, std::string value) { return {std::move(event), TData::Kind::Str, std::move(value)}; }

const std::string& notFoundText() {
  static const std::string text = cp1251FromUtf8("На этом порту устройств не найдено.");
  return text;
}

std::string statusLine(const std::string& device, const std::string& version) {
  return cp1251FromUtf8("Устройство: ") + device + "   " + cp1251FromUtf8("Текущая версия ПО: ") + version;
}

// The unit with every event recorded in firing order.
class IdentificationUnit : public ::testing::Test {
 protected:
  IdentificationUnit() {
    const char* names[] = {"onSend", "onStatus", "onOpenPort", "onNotFound", "onFound"};
    for (int k = 0; k < 5; ++k) {
      std::string name = names[k];
      unit.event(k).link([this, name](const TData& v) {
        fired.push_back({name, v.kind(), v.toStr()});
        if (v.next()) chainedSeen.push_back(v.next()->toStr());
      });
    }
  }
  int identified() { return unit.data(0)().toInt(); }

  dispatch::ScopedSwitch on{true};
  TClassMultiElementEx_25386E0 unit;
  std::vector<Fired> fired;
  std::vector<std::string> chainedSeen;
};

struct ReplyCase {
  const char* name;
  std::string reply;
  std::vector<Fired> expected;
  int identifiedAfter;
};

std::vector<ReplyCase> replyCases() {
  const std::string ok = "TARVENMOLIX";
  return {
      {"AllThreeWords", ok + " D V", {str("onStatus", statusLine("D", "V")), str("onFound", ok)}, 1},
      {"MixedCaseMaker", "TarvenMolix D V", {str("onStatus", statusLine("D", "V")), str("onFound", "TarvenMolix")}, 1},
      {"LowerCaseMaker", "tarvenmolix D V", {str("onStatus", statusLine("D", "V")), str("onFound", "tarvenmolix")}, 1},
      {"FurtherWordsIgnored", ok + " D V more words", {str("onStatus", statusLine("D", "V")), str("onFound", ok)}, 1},
      {"NoVersion", ok + " D", {str("onStatus", statusLine("D", "")), str("onFound", ok)}, 1},
      {"MakerAndSpaceOnly", ok + " ", {str("onStatus", statusLine("", "")), str("onFound", ok)}, 1},
      {"DoubleSpaceEmptiesDevice", ok + "  D V", {str("onStatus", statusLine("", "D")), str("onFound", ok)}, 1},
      {"CrLfStaysInVersion", ok + " D V\r\n", {str("onStatus", statusLine("D", "V\r\n")), str("onFound", ok)}, 1},
      {"NoSpaceAtAll", ok, {str("onNotFound", ok), str("onStatus", notFoundText())}, 0},
      {"EmptyText", "", {str("onNotFound", ""), str("onStatus", notFoundText())}, 0},
      {"LeadingSpace", " " + ok + " D V", {str("onNotFound", ""), str("onStatus", notFoundText())}, 0},
      {"CrLfOnMakerWord", ok + "\r\n D V", {str("onNotFound", ok + "\r\n"), str("onStatus", notFoundText())}, 0},
      {"MakerNotFirst", "D V " + ok, {str("onNotFound", "D"), str("onStatus", notFoundText())}, 0},
      {"MakerPrefixOnly", "TARVENMOLI D V", {str("onNotFound", "TARVENMOLI"), str("onStatus", notFoundText())}, 0},
      {"MakerWithSuffix", ok + "X D V", {str("onNotFound", ok + "X"), str("onStatus", notFoundText())}, 0},
      {"ZeroByteInVersion", ok + " D " + std::string("V\0", 2), {str("onStatus", statusLine("D", "V%")), str("onFound", ok)}, 1},
  };
}

class ReplyTable : public IdentificationUnit, public ::testing::WithParamInterface<ReplyCase> {};

TEST_P(ReplyTable, EventsInOrderAndIdentifiedAfter) {
  const ReplyCase& c = GetParam();
  unit.doReply(TData(c.reply));
  EXPECT_EQ(fired, c.expected);
  EXPECT_EQ(identified(), c.identifiedAfter);
}

INSTANTIATE_TEST_SUITE_P(Replies, ReplyTable, ::testing::ValuesIn(replyCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(IdentificationUnit, ReplyGivenAsIntegerIsJudgedAsItsDecimalText) {
  unit.work(2)(TData(42));
  EXPECT_EQ(fired, (std::vector<Fired>{str("onNotFound", "42"), str("onStatus", notFoundText())}));
}

struct OpenResultCase {
  const char* name;
  TData value;
  bool sendsRequest;
};

class OpenResultTable : public IdentificationUnit, public ::testing::WithParamInterface<OpenResultCase> {};

TEST_P(OpenResultTable, RequestOrNotFoundByKind) {
  unit.work(0)(GetParam().value);
  if (GetParam().sendsRequest) {
    EXPECT_EQ(fired, (std::vector<Fired>{str("onSend", "VERS")}));
  } else {
    EXPECT_EQ(fired, (std::vector<Fired>{{"onNotFound", TData::Kind::Empty, ""}, str("onStatus", notFoundText())}));
  }
  EXPECT_EQ(identified(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    OpenResults, OpenResultTable,
    ::testing::Values(OpenResultCase{"IntegerZero", TData(0), false}, OpenResultCase{"TextZero", TData("0"), false},
                      OpenResultCase{"PortNumber", TData(7), true}, OpenResultCase{"Empty", TData(), true},
                      OpenResultCase{"TextZeroZero", TData("00"), true}, OpenResultCase{"TextOther", TData("COM3"), true},
                      OpenResultCase{"RealZero", TData(0.0), true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(IdentificationUnit, OnlyTheFirstValueOfAChainTakesPart) {
  TData value(7);
  value.chain(TData(0));
  unit.doIdentify(value);
  EXPECT_EQ(fired, (std::vector<Fired>{str("onSend", "VERS")}));
}

TEST_F(IdentificationUnit, PercentTwoInsideTheDeviceWordTakesTheVersionToo) {
  unit.doReply(TData("TARVENMOLIX A%2B V1"));
  ASSERT_FALSE(fired.empty());
  EXPECT_EQ(fired[0], str("onStatus", statusLine("AV1B", "V1")));
}

TEST_F(IdentificationUnit, SecondAcceptedReplyTurnsIdentifiedBackToZero) {
  unit.doReply(TData("TARVENMOLIX D V"));
  EXPECT_EQ(identified(), 1);
  unit.doReply(TData("TARVENMOLIX D V"));
  EXPECT_EQ(identified(), 0);
  unit.doReply(TData("nothing here"));
  EXPECT_EQ(identified(), 0);
}

TEST_F(IdentificationUnit, SelectPortPassesTheValueUntouchedAndNothingElse) {
  unit.doReply(TData("TARVENMOLIX D V"));
  fired.clear();
  TData port("COM3");
  port.chain(TData(12));
  unit.work(1)(port);
  EXPECT_EQ(fired, (std::vector<Fired>{str("onOpenPort", "COM3")}));
  EXPECT_EQ(chainedSeen, (std::vector<std::string>{"12"}));
  unit.doSelectPort(TData());
  EXPECT_EQ(fired.back(), (Fired{"onOpenPort", TData::Kind::Empty, ""}));
  EXPECT_EQ(identified(), 1);
}

TEST_F(IdentificationUnit, NothingFiresWhileDispatchIsOff) {
  dispatch::ScopedSwitch off(false);
  unit.doReply(TData("TARVENMOLIX D V"));
  unit.doIdentify(TData(0));
  EXPECT_TRUE(fired.empty());
}

}  // namespace
