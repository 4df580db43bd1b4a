#pragma once
// The floor: the least any writer can do on this line. It opens the slave end of a fresh pseudo
// terminal raw with the program's speed, asks "VERS" of a fresh unpaced simulator, then sends the
// image one byte per write() and waits for each acknowledgement with poll + read, and sends "PUSK".
// Nothing of the program is involved. Timed from the first page byte to "PUSK" written.
//
// Threads: the caller's thread writes and reads; the simulator runs on its own.

#include <cstdint>
#include <span>

#include "bench/UploadMeasurement.h"

UploadMeasurement measureFloor(std::span<const std::uint8_t> image);
