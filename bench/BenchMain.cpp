// The upload benchmark: N uploads through the whole program and N of a bare writer, taken in
// turns (alternating which goes first) on fresh pseudo terminals with fresh unpaced simulators,
// then the medians, their ratio, the per-page turnaround, the UI thread's longest stall, the peak
// memory and the machine.

#include <sys/resource.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include <QApplication>

#include "app/WindowLook.h"
#include "bench/BenchOptions.h"
#include "bench/FloorWriter.h"
#include "bench/MachineInfo.h"
#include "bench/ProgramUpload.h"
#include "bench/Statistics.h"
#include "resources/EmbeddedFirmware.h"

namespace {

constexpr double kRatioTarget = 1.5;
constexpr double kRatioAim = 1.2;
constexpr double kTurnaroundTargetMicros = 50;
constexpr double kUiStallTargetMillis = 50;
constexpr double kPeakMemoryTargetMegabytes = 80;

double millis(std::chrono::nanoseconds d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct Series {
  std::vector<double> wallMillis, processCpuMillis, writerCpuMillis, uiStallMillis;
  std::vector<double> turnaroundMicros, deviceTurnaroundMicros;  // every page of every run

  void add(const UploadMeasurement& m) {
    wallMillis.push_back(millis(m.wall));
    processCpuMillis.push_back(millis(m.processCpu));
    writerCpuMillis.push_back(millis(m.writerCpu));
    uiStallMillis.push_back(m.uiStallMillis);
    turnaroundMicros.insert(turnaroundMicros.end(), m.turnaroundMicros.begin(), m.turnaroundMicros.end());
    deviceTurnaroundMicros.insert(deviceTurnaroundMicros.end(), m.deviceTurnaroundMicros.begin(),
                                  m.deviceTurnaroundMicros.end());
  }
};

const char* verdict(bool met) { return met ? "met" : "MISSED"; }

double peakResidentMegabytes() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

void printReport(const Series& program, const Series& floor, int runs) {
  const double wallRatio = median(program.wallMillis) / median(floor.wallMillis);
  const double cpuRatio = median(program.processCpuMillis) / median(floor.processCpuMillis);
  const double writerCpuRatio = median(program.writerCpuMillis) / median(floor.writerCpuMillis);
  const double turnaroundMedian = median(program.turnaroundMicros);
  const double worstStall = largest(program.uiStallMillis);
  const double peak = peakResidentMegabytes();

  std::printf("\nmedians of %d runs                          wall ms   CPU ms (process)   CPU ms (writer threads)\n", runs);
  std::printf("  program: click -> PUSK written       %9.1f   %16.1f   %23.1f\n", median(program.wallMillis),
              median(program.processCpuMillis), median(program.writerCpuMillis));
  std::printf("  floor:   first byte -> PUSK written  %9.1f   %16.1f   %23.1f\n", median(floor.wallMillis),
              median(floor.processCpuMillis), median(floor.writerCpuMillis));
  std::printf("  ratio program / floor                %9.2f   %16.2f   %23.2f   (target wall <= %.1f, aim %.1f: %s)\n",
              wallRatio, cpuRatio, writerCpuRatio, kRatioTarget, kRatioAim, verdict(wallRatio <= kRatioTarget));
  std::printf("  (process CPU includes the simulator's thread, the same in both; writer threads: the program's\n"
              "   UI and receive threads, the floor's one writing thread)\n");

  std::printf("\nper-page turnaround, microseconds            median      p99     max   pages\n");
  std::printf("  program, in the tool: ack read -> next page's first byte written\n");
  std::printf("                                        %9.1f %8.1f %7.1f %7zu   (target median <= %.0f: %s)\n",
              turnaroundMedian, percentile(program.turnaroundMicros, 99), largest(program.turnaroundMicros),
              program.turnaroundMicros.size(), kTurnaroundTargetMicros,
              verdict(turnaroundMedian <= kTurnaroundTargetMicros));
  std::printf("  floor, in the writer: the same\n");
  std::printf("                                        %9.1f %8.1f %7.1f %7zu\n", median(floor.turnaroundMicros),
              percentile(floor.turnaroundMicros, 99), largest(floor.turnaroundMicros), floor.turnaroundMicros.size());
  std::printf("  program, the device's view: ack written -> next page's first byte received\n");
  std::printf("                                        %9.1f %8.1f %7.1f %7zu\n", median(program.deviceTurnaroundMicros),
              percentile(program.deviceTurnaroundMicros, 99), largest(program.deviceTurnaroundMicros),
              program.deviceTurnaroundMicros.size());
  std::printf("  floor, the device's view: the same\n");
  std::printf("                                        %9.1f %8.1f %7.1f %7zu\n", median(floor.deviceTurnaroundMicros),
              percentile(floor.deviceTurnaroundMicros, 99), largest(floor.deviceTurnaroundMicros),
              floor.deviceTurnaroundMicros.size());

  std::printf("\nlongest UI event-loop stall during the upload (1-ms timer): worst run %.1f ms, median %.1f ms"
              "   (target <= %.0f: %s)\n",
              worstStall, median(program.uiStallMillis), kUiStallTargetMillis, verdict(worstStall <= kUiStallTargetMillis));
  std::printf("peak resident memory (ru_maxrss, whole bench): %.1f MB   (target <= %.0f: %s)\n", peak,
              kPeakMemoryTargetMegabytes, verdict(peak <= kPeakMemoryTargetMegabytes));
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  useClassicLook();
  std::vector<std::string> arguments;
  for (const QString& argument : QCoreApplication::arguments().mid(1)) arguments.push_back(argument.toStdString());
  std::string error;
  const std::optional<BenchOptions> options = parseBenchOptions(arguments, error);
  if (!options) {
    std::fputs(error.c_str(), stderr);
    return error.rfind("usage", 0) == 0 ? 0 : 2;
  }

  const auto image = embeddedFirmware();
  std::printf("upload benchmark: %zu pages of 256 bytes (%zu bytes), unpaced simulator on pseudo terminals\n",
              image.size() / 256, image.size());
  std::printf("machine: %s\n", machineDescription().c_str());
  std::printf("\nrun   program wall ms  CPU ms  UI thread CPU ms  UI stall ms    floor wall ms  CPU ms\n");
  std::fflush(stdout);

  Series program, floor;
  try {
    for (int run = 1; run <= options->runs; ++run) {
      // The order alternates, so that neither kind always runs on the heels of the other.
      UploadMeasurement p, f;
      if (run % 2) {
        p = measureProgramUpload(image);
        f = measureFloor(image);
      } else {
        f = measureFloor(image);
        p = measureProgramUpload(image);
      }
      program.add(p);
      floor.add(f);
      std::printf("%3d   %15.1f %7.1f %17.1f %12.1f    %13.1f %7.1f\n", run, millis(p.wall), millis(p.processCpu),
                  millis(p.uiCpu), p.uiStallMillis, millis(f.wall), millis(f.processCpu));
      std::fflush(stdout);
    }
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "benchmark failed: %s\n", failure.what());
    return 1;
  }
  printReport(program, floor, options->runs);
  return 0;
}
