#pragma once
// The misbehaviours by name, each with a typical setting, for the command's --fault flag and the
// demo: "wrong-checksum" sets wrongChecksumAtPage = 3, and so on.

#include <span>
#include <string_view>

#include "DeviceSettings.h"

struct DeviceScenario {
  std::string_view name;
  std::string_view description;
  void (*apply)(DeviceSettings&);
};

std::span<const DeviceScenario> deviceScenarios();
// False when no scenario has that name.
bool applyDeviceScenario(std::string_view name, DeviceSettings& settings);
