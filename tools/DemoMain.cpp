// tarvenmolix-demo: the real window with one port, COM1, whose other end is the simulated device
// in the same process on a pseudo terminal, so the whole update can be watched without a device.
// When the window closes, what the device got is printed.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <QApplication>

#include "app/ProgramEntry.h"
#include "app/WindowLook.h"
#include "tools/DeviceScenarios.h"
#include "tools/DeviceSimulator.h"
#include "tools/PreparedPortTree.h"
#include "tools/PseudoTerminal.h"

namespace {

constexpr const char* kUsage = R"(Usage: tarvenmolix-demo [--fast] [--fault=NAME]

Opens the Tarvenmolix bootloader window with one port, COM1, whose other end is a simulated
device. Pick COM1, press "Записать" and watch the update. When the window closes, prints what the
device received.

  --fast         the device answers at once (by default it takes and gives bytes at the line rate,
                 38462 bit/s: about 70 s for the whole image)
  --fault=NAME   the device misbehaves as the named scenario says; --fault=list lists them
  --help         this text
)";

[[noreturn]] void usageError(const std::string& message) {
  std::fprintf(stderr, "tarvenmolix-demo: %s\n\n%s", message.c_str(), kUsage);
  std::exit(2);
}

void listScenarios() {
  for (const DeviceScenario& scenario : deviceScenarios()) {
    std::printf("%-22.*s %.*s\n", static_cast<int>(scenario.name.size()), scenario.name.data(),
                static_cast<int>(scenario.description.size()), scenario.description.data());
  }
}

DeviceSettings parseOptions(int argc, char** argv) {
  DeviceSettings settings;
  bool fast = false;
  std::vector<std::string_view> faults;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else if (arg == "--fast") {
      fast = true;
    } else if (arg == "--fault=list") {
      listScenarios();
      std::exit(0);
    } else if (arg.starts_with("--fault=")) {
      faults.push_back(arg.substr(std::string_view("--fault=").size()));
    } else {
      usageError("unknown option " + std::string(arg));
    }
  }
  settings.paceAtLineRate = !fast;
  for (const std::string_view fault : faults) {
    if (!applyDeviceScenario(fault, settings)) usageError("no fault named " + std::string(fault) + " (--fault=list)");
  }
  return settings;
}

}  // namespace

int main(int argc, char** argv) {
  const DeviceSettings settings = parseOptions(argc, argv);

  std::unique_ptr<PseudoTerminal> line;
  std::unique_ptr<DeviceSimulator> device;
  std::unique_ptr<PreparedPortTree> ports;
  try {
    line = std::make_unique<PseudoTerminal>();
    device = std::make_unique<DeviceSimulator>(*line, settings);
    ports = std::make_unique<PreparedPortTree>(std::vector<std::string>{line->slavePath()});
    device->start();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tarvenmolix-demo: %s\n", error.what());
    return 1;
  }
  std::fprintf(stderr, "tarvenmolix-demo: COM1 is the simulated device on %s%s\n", line->slavePath().c_str(),
               settings.paceAtLineRate ? " (paced at the line rate)" : "");

  {
    // Qt is not handed the command line, as in the tool itself.
    int qtArgumentCount = 1;
    QApplication application(qtArgumentCount, argv);
    useClassicLook();
    EntryOptions options;
    options.window.ports = ports->catalog();
    runEntry({}, std::move(options));
  }

  // The window has closed its port by now; the device's thread ends here if the line did not
  // end it already.
  device->stop();
  std::fputs(device->report().summary().c_str(), stdout);
  std::fflush(stdout);
  return 0;
}
