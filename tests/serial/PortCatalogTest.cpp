// The port catalog over a prepared tree whose entries point at real pseudo terminals.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "SerialRig.h"
#include "serial/THIComAsync.h"
#include "tools/PseudoTerminal.h"

namespace {

struct Listed {
  std::string name;
  std::string entry;
};

class PortCatalogTest : public testing::Test {
 protected:
  // One pseudo terminal per named entry.
  std::string terminalFor(const std::string& entry) {
    auto& pty = terminals_[entry];
    pty = std::make_unique<PseudoTerminal>();
    return pty->slavePath();
  }
  std::vector<Listed> listed(PortCatalog& catalog) {
    std::vector<Listed> out;
    for (const CatalogPort& port : catalog.ports()) {
      const auto slash = port.devicePath.find_last_of('/');
      out.push_back({port.name, port.devicePath.substr(slash + 1)});
    }
    return out;
  }

  PreparedTree tree_;
  std::map<std::string, std::unique_ptr<PseudoTerminal>> terminals_;
};

MATCHER_P2(IsPort, name, entry, "") { return arg.name == name && arg.entry == entry; }

TEST_F(PortCatalogTest, OrdersNumbersAndSkipsWhatIsNoUsablePort) {
  for (const char* entry : {"ttyUSB10", "ttyUSB2", "ttyACM1", "ttyACM0", "ttyS1", "ttyAMA0", "ttyUSB0", "rfcomm0"})
    tree_.addEntry(entry, terminalFor(entry));
  tree_.addEntry("tty7", terminalFor("tty7"), /*hasDevice=*/false);  // virtual console: no device
  tree_.addEntry("ttyUSB3", "");                                     // no device node
  tree_.addEntry("ttyACM5", "/dev/null");                            // not a terminal
  // Held by another program at listing time: an advisory lock, and a live lock file.
  const int holder = ::open(tree_.devicePath("ttyUSB0").c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
  const HelperProcess lockOwner = HelperProcess::idle();
  tree_.writeLockFile("rfcomm0", lockOwner.pid());
  // A stale lock file (its process is gone) holds nothing.
  tree_.writeLockFile("ttyS1", HelperProcess::endedProcessId());

  auto catalog = tree_.catalog();
  EXPECT_FALSE(catalog->built());
  EXPECT_THAT(listed(*catalog),
              testing::ElementsAre(IsPort("COM1", "ttyUSB2"), IsPort("COM2", "ttyUSB10"), IsPort("COM3", "ttyACM0"),
                                   IsPort("COM4", "ttyACM1"), IsPort("COM5", "ttyAMA0"), IsPort("COM6", "ttyS1")));
  EXPECT_TRUE(catalog->built());
  ::close(holder);
}

TEST_F(PortCatalogTest, IsBuiltOnceAndLooksNamesUpWithoutRegardToCase) {
  for (const char* entry : {"ttyUSB0", "ttyUSB1"}) tree_.addEntry(entry, terminalFor(entry));
  auto catalog = tree_.catalog();
  ASSERT_EQ(catalog->ports().size(), 2u);

  // Later changes to the machine do not renumber the run's ports.
  tree_.addEntry("ttyUSB00", terminalFor("ttyUSB00"));
  terminals_.erase("ttyUSB0");
  EXPECT_THAT(listed(*catalog), testing::ElementsAre(IsPort("COM1", "ttyUSB0"), IsPort("COM2", "ttyUSB1")));

  EXPECT_EQ(catalog->devicePathFor("com2"), tree_.devicePath("ttyUSB1"));
  EXPECT_EQ(catalog->devicePathFor("COM1"), tree_.devicePath("ttyUSB0"));
  EXPECT_EQ(catalog->devicePathFor("COM2X"), std::nullopt);
  EXPECT_EQ(catalog->devicePathFor("COM3"), std::nullopt);
}

TEST_F(PortCatalogTest, ListingRaisesEachNameInOrder) {
  dispatch::ScopedSwitch on(true);
  for (const char* entry : {"ttyACM0", "ttyS4", "ttyUSB9"}) tree_.addEntry(entry, terminalFor(entry));
  THIComAsync com(tree_.catalog());
  Recorder names;
  com.onPortListed.link(names.point());
  com.doListPorts(TData());
  EXPECT_EQ(names.texts(), (std::vector<std::string>{"COM1", "COM2", "COM3"}));
  com.doListPorts(TData());  // the same table again
  EXPECT_EQ(names.size(), 6u);
}

TEST_F(PortCatalogTest, EmptyOrMissingTreeListsNothing) {
  dispatch::ScopedSwitch on(true);
  THIComAsync com(std::make_shared<PortCatalog>("/nonexistent/sys", "/nonexistent/dev"));
  Recorder names;
  com.onPortListed.link(names.point());
  com.doListPorts(TData());
  EXPECT_EQ(names.size(), 0u);
}

// Only where the machine has a ttyS slot without a UART (most PCs have several; a virtual
// machine often has none that is free to touch).
TEST_F(PortCatalogTest, SkipsSerialSlotsWithoutAKnownUart) {
  std::string unknownSlot;
  for (int n = 1; n < 32 && unknownSlot.empty(); ++n) {
    const std::string path = "/dev/ttyS" + std::to_string(n);
    if (::access(path.c_str(), F_OK) == 0 && SerialBackend::reportsUnknownUart(path)) unknownSlot = path;
  }
  if (unknownSlot.empty()) GTEST_SKIP() << "no ttyS slot without a UART on this machine";
  tree_.addEntry("ttyS1", unknownSlot);
  tree_.addEntry("ttyS2", terminalFor("ttyS2"));
  auto catalog = tree_.catalog();
  EXPECT_THAT(listed(*catalog), testing::ElementsAre(IsPort("COM1", "ttyS2")));
}

}  // namespace
