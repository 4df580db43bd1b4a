#pragma once
// The benchmark's command line: --runs N (timed uploads of each kind, default 5).

#include <optional>
#include <string>
#include <vector>

struct BenchOptions {
  int runs = 5;
};

// Nothing (with `error` set) for an unknown option or a bad count; `--help` gives the usage in
// `error` too.
std::optional<BenchOptions> parseBenchOptions(const std::vector<std::string>& arguments, std::string& error);
