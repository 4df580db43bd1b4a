#include "DeviceScenarios.h"

#include <array>

namespace {

using std::chrono::milliseconds;

constexpr std::array kScenarios = {
    DeviceScenario{"wrong-checksum", "page 3 is answered with a wrong checksum",
                   [](DeviceSettings& s) { s.wrongChecksumAtPage = 3; }},
    DeviceScenario{"silence", "pages from 3 on are not answered", [](DeviceSettings& s) { s.silentFromPage = 3; }},
    DeviceScenario{"split-ack", "every acknowledgement goes out one byte at a time, 20 ms apart",
                   [](DeviceSettings& s) { s.ackByteGap = milliseconds(20); }},
    DeviceScenario{"low-byte-first", "the checksum's low byte goes first", [](DeviceSettings& s) { s.lowByteFirst = true; }},
    DeviceScenario{"early-final", "page 3 gets the final acknowledgement", [](DeviceSettings& s) { s.finalAckAfterPage = 3; }},
    DeviceScenario{"no-final", "the last page gets the bare checksum", [](DeviceSettings& s) { s.noFinalAck = true; }},
    DeviceScenario{"garbage", "\"\\r\\n?\" follows the identification reply 50 ms later",
                   [](DeviceSettings& s) { s.garbageAfterIdentification = "\r\n?"; }},
    DeviceScenario{"split-identification", "the identification reply comes in two parts, 200 ms apart",
                   [](DeviceSettings& s) { s.identificationChunkGap = milliseconds(200); }},
    DeviceScenario{"identification-tail",
                   "the reply's maker word and space come first, designation and version 200 ms later",
                   [](DeviceSettings& s) {
                     s.identificationChunkGap = milliseconds(200);
                     s.identificationSplitAt = 12;
                   }},
    DeviceScenario{"wrong-maker", "the reply begins with TARVENMOLYX", [](DeviceSettings& s) { s.makerWord = "TARVENMOLYX"; }},
    DeviceScenario{"no-answer", "\"VERS\" is never answered", [](DeviceSettings& s) { s.noAnswerToVers = true; }},
    DeviceScenario{"paced", "both directions at 38462 bit/s", [](DeviceSettings& s) { s.paceAtLineRate = true; }},
    DeviceScenario{"slow-ack", "every acknowledgement comes 200 ms late", [](DeviceSettings& s) { s.ackDelay = milliseconds(200); }},
    DeviceScenario{"hang-up", "the line is closed once page 3 has arrived", [](DeviceSettings& s) { s.hangUpAtPage = 3; }},
};

}  // namespace

std::span<const DeviceScenario> deviceScenarios() { return kScenarios; }

bool applyDeviceScenario(std::string_view name, DeviceSettings& settings) {
  for (const DeviceScenario& scenario : kScenarios) {
    if (scenario.name != name) continue;
    scenario.apply(settings);
    return true;
  }
  return false;
}
