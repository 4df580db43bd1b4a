#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "ToolSide.h"
#include "tools/Crc16Modbus.h"
#include "tools/PseudoTerminal.h"
#include "tools/Sha256.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kLimit = 10s;

// The command as a child process with its standard output on a pipe.
class Command {
 public:
  explicit Command(std::vector<std::string> arguments) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    arguments.insert(arguments.begin(), DEVICE_SIM_COMMAND);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const int error = posix_spawn(&pid_, DEVICE_SIM_COMMAND, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    output_ = out[0];
    if (error != 0) throw std::runtime_error("posix_spawn");
  }
  ~Command() noexcept {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    ::close(output_);
  }
  Command(const Command&) = delete;
  Command& operator=(const Command&) = delete;

  // The first line of output (without its newline), or nothing within the limit.
  std::optional<std::string> readLine() {
    const Clock::time_point deadline = Clock::now() + kLimit;
    while (text_.find('\n') == std::string::npos) {
      if (!readSome(deadline)) return std::nullopt;
    }
    const std::size_t end = text_.find('\n');
    std::string line = text_.substr(0, end);
    text_.erase(0, end + 1);
    return line;
  }

  // Everything up to the end of its output, then its exit code (-1 when it did not end in time).
  int finish(std::string& rest) {
    const Clock::time_point deadline = Clock::now() + kLimit;
    while (readSome(deadline)) {
    }
    rest = text_;
    if (Clock::now() >= deadline) return -1;
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  void signal(int number) { ::kill(pid_, number); }

 private:
  bool readSome(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    pollfd in{output_, POLLIN, 0};
    if (::poll(&in, 1, static_cast<int>(left.count())) <= 0) return false;
    char buffer[4096];
    const ssize_t got = ::read(output_, buffer, sizeof buffer);
    if (got <= 0) return false;
    text_.append(buffer, static_cast<std::size_t>(got));
    return true;
  }

  pid_t pid_ = -1;
  int output_ = -1;
  std::string text_;
};

std::vector<std::uint8_t> testImage(std::size_t bytes) {
  std::mt19937 random(3);
  std::vector<std::uint8_t> image(bytes);
  for (auto& byte : image) byte = static_cast<std::uint8_t>(random());
  return image;
}

std::string checksumBytes(std::uint16_t crc, bool lowFirst) {
  const char high = static_cast<char>(crc >> 8);
  const char low = static_cast<char>(crc & 0xFF);
  return lowFirst ? std::string{low, high} : std::string{high, low};
}

// The tool's part of a short upload: identification, the pages, "PUSK".
void uploadThrough(ToolSide& tool, const std::string& expectedReply, std::size_t pages, bool lowFirst) {
  tool.send("VERS");
  ASSERT_EQ(tool.receive(expectedReply.size(), kLimit), expectedReply);
  const std::vector<std::uint8_t> image = testImage(pages * 256);
  std::uint16_t crc = devicesim::kCrcStart;
  for (std::size_t p = 0; p < pages; ++p) {
    const std::span<const std::uint8_t> page(image.data() + p * 256, 256);
    crc = devicesim::crc16Modbus(page, crc);
    tool.sendOneBytePerWrite(page);
    const bool last = p + 1 == pages;
    ASSERT_EQ(tool.receive(last ? 4 : 2, kLimit), checksumBytes(crc, lowFirst) + (last ? "FZ" : "")) << "page " << p;
  }
  tool.send("PUSK");
}

struct OwnTerminalCase {
  const char* name;
  std::vector<std::string> arguments;
  std::string reply;
  std::size_t pages;
  bool lowFirst;
};

void PrintTo(const OwnTerminalCase& c, std::ostream* out) { *out << c.name; }
std::string printName(const testing::TestParamInfo<OwnTerminalCase>& info) { return info.param.name; }

class CommandOnItsOwnTerminalTest : public testing::TestWithParam<OwnTerminalCase> {};

TEST_P(CommandOnItsOwnTerminalTest, PrintsThePathServesAndReportsAfterPusk) {
  const OwnTerminalCase& c = GetParam();
  Command command(c.arguments);
  const std::optional<std::string> path = command.readLine();
  ASSERT_TRUE(path.has_value());
  ASSERT_TRUE(path->starts_with("/dev/pts/")) << *path;
  {
    ToolSide tool(*path);
    uploadThrough(tool, c.reply, c.pages, c.lowFirst);
    std::string report;
    EXPECT_EQ(command.finish(report), 0);
    EXPECT_NE(report.find("PUSK received: yes"), std::string::npos) << report;
    EXPECT_NE(report.find("image SHA-256: " + devicesim::sha256Hex(testImage(c.pages * 256))), std::string::npos) << report;
  }
}

const OwnTerminalCase kOwnTerminalCases[] = {
    {"Defaults", {"--pages=3"}, "TARVENMOLIX MIRT 3.1", 3, false},
    {"DesignationVersionLowByteFirst", {"--designation=X9", "--version=4.0", "--low-byte-first", "--pages=2"},
     "TARVENMOLIX X9 4.0", 2, true},
    {"NamedFault", {"--fault=wrong-maker", "--pages=1"}, "TARVENMOLYX MIRT 3.1", 1, false},
};

INSTANTIATE_TEST_SUITE_P(Flags, CommandOnItsOwnTerminalTest, testing::ValuesIn(kOwnTerminalCases), printName);

TEST(DeviceSimCommandTest, ServesAGivenDevice) {
  PseudoTerminal line;  // the command is the device on the slave; this test is the tool on the master
  Command command({"--pages=2", line.slavePath()});
  ToolSide tool(::dup(line.masterFd()));
  uploadThrough(tool, "TARVENMOLIX MIRT 3.1", 2, false);
  std::string report;
  EXPECT_EQ(command.finish(report), 0);
  EXPECT_NE(report.find("PUSK received: yes"), std::string::npos) << report;
}

TEST(DeviceSimCommandTest, ReportsOnSigterm) {
  Command command({"--no-answer"});
  const std::optional<std::string> path = command.readLine();
  ASSERT_TRUE(path.has_value());
  ToolSide tool(*path);
  tool.send("VERS");
  EXPECT_EQ(tool.receive(1, 200ms), "");
  command.signal(SIGTERM);
  std::string report;
  EXPECT_EQ(command.finish(report), 0);
  EXPECT_NE(report.find("identification requests: 1, replies: 0"), std::string::npos) << report;
}

TEST(DeviceSimCommandTest, RefusesUnknownFlags) {
  for (const char* flag : {"--no-such-flag", "--pages=many", "--fault=no-such-fault", "--split-identification=x"}) {
    Command command({flag});
    std::string output;
    EXPECT_EQ(command.finish(output), 2) << flag;
  }
}

}  // namespace
