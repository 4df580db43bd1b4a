#pragma once
// The machine a benchmark ran on, in one line: processors online, CPU model, kernel, and the
// load average when it started.

#include <string>

std::string machineDescription();
