#pragma once
// Puts a serial device into raw 8N1 at the given speed (any speed, set exactly where the driver
// allows), without flow control, reads returning at once.

// False when the descriptor is not a terminal or refuses the settings.
bool setRawLine(int fd, unsigned bitsPerSecond);
