#include "BenchOptions.h"

#include <charconv>

namespace {
const char* const kUsage =
    "usage: upload-bench [--runs N]\n"
    "  --runs N  timed uploads through the program and of the bare writer, N of each (default 5)\n";
constexpr int kMostRuns = 100;

std::optional<int> runCount(const std::string& text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > kMostRuns)
    return std::nullopt;
  return value;
}
}  // namespace

std::optional<BenchOptions> parseBenchOptions(const std::vector<std::string>& arguments, std::string& error) {
  BenchOptions options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    std::optional<std::string> value;
    if (argument == "--runs" && i + 1 < arguments.size()) {
      value = arguments[++i];
    } else if (argument.rfind("--runs=", 0) == 0) {
      value = argument.substr(7);
    } else {
      error = argument == "--help" ? kUsage : "unknown option '" + argument + "'\n" + kUsage;
      return std::nullopt;
    }
    const std::optional<int> runs = runCount(*value);
    if (!runs) {
      error = "--runs takes a number from 1 to " + std::to_string(kMostRuns) + "\n" + kUsage;
      return std::nullopt;
    }
    options.runs = *runs;
  }
  return options;
}
