#pragma once
// One upload through the whole program: the main-window unit on the offscreen platform with its
// real serial port element and units, the port list holding one pseudo terminal as COM1 with a
// fresh unpaced simulator on its other end. COM1 is picked from the list, the device identified,
// "Записать" clicked; timed from the click to the tool's write of "PUSK" having returned, which
// is the step right before onUploadDone. Then "OK" ends the window as the user would.
//
// Threads: the UI thread, inside a running QApplication; the unit's receive and timer threads
// and the simulator's thread do their own parts.

#include <cstdint>
#include <span>

#include "bench/UploadMeasurement.h"

UploadMeasurement measureProgramUpload(std::span<const std::uint8_t> image);
