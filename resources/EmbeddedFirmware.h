#pragma once
// The firmware image carried inside the executable, embedded at build time.

#include <cstdint>
#include <span>

std::span<const std::uint8_t> embeddedFirmware();
