// tarvenmolix-device-sim: the simulated device on a serial device or on a new pseudo terminal.

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "DeviceScenarios.h"
#include "DeviceSimulator.h"
#include "PseudoTerminal.h"
#include "RawLine.h"

namespace {

constexpr const char* kUsage = R"(Usage: tarvenmolix-device-sim [options] [DEVICE]

Plays a Tarvenmolix device: on DEVICE (set raw 8N1 at 38462 bit/s), or, without DEVICE, on a new
pseudo terminal whose path is printed as the first line. Prints a report when the line closes,
after "PUSK" has come (unless --keep-running), or on SIGINT/SIGTERM. Pages count from 0.

  --designation=TEXT           designation in the identification reply (MIRT)
  --version=TEXT               version in the identification reply (3.1)
  --pages=N                    the page N-1 gets the final acknowledgement (1016)
  --wrong-checksum-at=K        answer page K with a wrong checksum
  --silent-from=K              do not answer page K nor any later page
  --split-ack=MS               write acknowledgements one byte at a time, MS apart
  --low-byte-first             send the checksum's low byte first
  --final-ack-after=K          give page K the final acknowledgement
  --no-final-ack               give the last page the bare checksum
  --garbage[=TEXT]             write TEXT (default "\r\n?") after the identification reply
  --garbage-delay=MS           ... this long after it (50)
  --split-identification=MS[,AT]  write the reply in two parts, MS apart, split after AT bytes (6)
  --wrong-maker-word[=WORD]    begin the reply with WORD (TARVENMOLYX)
  --no-answer                  never answer "VERS"
  --paced                      take and give bytes at the line rate
  --ack-delay=MS               wait MS before each acknowledgement
  --hang-up-at=K               close the line once page K has arrived
  --fault=NAME                 a named misbehaviour with a typical setting; --fault=list lists them
  --keep-running               go on after "PUSK"
  --help                       this text
)";

struct Options {
  DeviceSettings settings;
  std::optional<std::string> device;
  bool keepRunning = false;
};

bool readNumber(std::string_view text, std::size_t& value) {
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  return error == std::errc{} && stop == end && !text.empty();
}

bool readMilliseconds(std::string_view text, std::chrono::milliseconds& value) {
  std::size_t count = 0;
  if (!readNumber(text, count)) return false;
  value = std::chrono::milliseconds(count);
  return true;
}

[[noreturn]] void usageError(const std::string& message) {
  std::fprintf(stderr, "tarvenmolix-device-sim: %s\n\n%s", message.c_str(), kUsage);
  std::exit(2);
}

Options parseOptions(int argc, char** argv) {
  Options options;
  DeviceSettings& s = options.settings;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (!arg.starts_with("--")) {
      if (options.device) usageError("more than one device given");
      options.device = std::string(arg);
      continue;
    }
    const std::size_t equals = arg.find('=');
    const std::string_view name = arg.substr(0, equals);
    const bool hasValue = equals != std::string_view::npos;
    const std::string_view value = hasValue ? arg.substr(equals + 1) : std::string_view{};
    std::size_t number = 0;
    std::chrono::milliseconds pause{};
    const auto needNumber = [&] {
      if (!readNumber(value, number)) usageError(std::string(name) + " needs a number");
      return number;
    };
    const auto needMilliseconds = [&] {
      if (!readMilliseconds(value, pause)) usageError(std::string(name) + " needs milliseconds");
      return pause;
    };
    if (name == "--help") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else if (name == "--designation" && hasValue) {
      s.designation = value;
    } else if (name == "--version" && hasValue) {
      s.version = value;
    } else if (name == "--pages") {
      s.pageCount = needNumber();
    } else if (name == "--wrong-checksum-at") {
      s.wrongChecksumAtPage = needNumber();
    } else if (name == "--silent-from") {
      s.silentFromPage = needNumber();
    } else if (name == "--split-ack") {
      s.ackByteGap = needMilliseconds();
    } else if (name == "--low-byte-first" && !hasValue) {
      s.lowByteFirst = true;
    } else if (name == "--final-ack-after") {
      s.finalAckAfterPage = needNumber();
    } else if (name == "--no-final-ack" && !hasValue) {
      s.noFinalAck = true;
    } else if (name == "--garbage") {
      s.garbageAfterIdentification = hasValue ? std::string(value) : std::string("\r\n?");
    } else if (name == "--garbage-delay") {
      s.garbageDelay = needMilliseconds();
    } else if (name == "--split-identification") {
      const std::size_t comma = value.find(',');
      if (!readMilliseconds(value.substr(0, comma), pause)) usageError("--split-identification needs MS[,AT]");
      s.identificationChunkGap = pause;
      if (comma != std::string_view::npos && !readNumber(value.substr(comma + 1), s.identificationSplitAt)) {
        usageError("--split-identification needs MS[,AT]");
      }
    } else if (name == "--wrong-maker-word") {
      s.makerWord = hasValue ? std::string(value) : std::string("TARVENMOLYX");
    } else if (name == "--no-answer" && !hasValue) {
      s.noAnswerToVers = true;
    } else if (name == "--paced" && !hasValue) {
      s.paceAtLineRate = true;
    } else if (name == "--ack-delay") {
      s.ackDelay = needMilliseconds();
    } else if (name == "--hang-up-at") {
      s.hangUpAtPage = needNumber();
    } else if (name == "--fault" && value == "list") {
      for (const DeviceScenario& scenario : deviceScenarios()) {
        std::printf("%-22.*s %.*s\n", static_cast<int>(scenario.name.size()), scenario.name.data(),
                    static_cast<int>(scenario.description.size()), scenario.description.data());
      }
      std::exit(0);
    } else if (name == "--fault" && hasValue) {
      if (!applyDeviceScenario(value, s)) usageError("no fault named " + std::string(value) + " (--fault=list)");
    } else if (name == "--keep-running" && !hasValue) {
      options.keepRunning = true;
    } else {
      usageError("unknown option " + std::string(arg));
    }
  }
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = parseOptions(argc, argv);

  // The signals are taken by sigwait below; blocked before any thread starts, so every thread
  // inherits the mask. SIGUSR1 is how the watcher says the session has ended.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGUSR1);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  std::unique_ptr<PseudoTerminal> pty;
  std::unique_ptr<DeviceSimulator> simulator;
  int deviceFd = -1;
  try {
    if (options.device) {
      deviceFd = ::open(options.device->c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
      if (deviceFd < 0) {
        std::fprintf(stderr, "tarvenmolix-device-sim: cannot open %s: %s\n", options.device->c_str(), std::strerror(errno));
        return 1;
      }
      if (!setRawLine(deviceFd, kLineBitsPerSecond)) {
        std::fprintf(stderr, "tarvenmolix-device-sim: %s refuses raw line settings; serving it as it is\n",
                     options.device->c_str());
      }
      simulator = std::make_unique<DeviceSimulator>(deviceFd, options.settings, [&deviceFd] {
        ::close(deviceFd);
        deviceFd = -1;
      });
    } else {
      pty = std::make_unique<PseudoTerminal>();
      std::printf("%s\n", pty->slavePath().c_str());
      std::fflush(stdout);
      simulator = std::make_unique<DeviceSimulator>(*pty, options.settings);
    }
    simulator->start();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tarvenmolix-device-sim: %s\n", error.what());
    return 1;
  }

  const bool keepRunning = options.keepRunning;
  std::thread watcher([&simulator, keepRunning] {
    simulator->waitUntil([keepRunning](const DeviceReport& r) { return r.finished || (!keepRunning && r.puskReceived); },
                         std::chrono::hours(24 * 365 * 10));
    ::kill(::getpid(), SIGUSR1);
  });
  int received = 0;
  sigwait(&signals, &received);
  simulator->stop();
  watcher.join();

  std::fputs(simulator->report().summary().c_str(), stdout);
  std::fflush(stdout);
  simulator.reset();
  if (deviceFd >= 0) ::close(deviceFd);
  return 0;
}
