// How fast printer data pass through the library: raw data records of several sizes through
// DrvSplWritePrinter to a port that discards them, with and without the capture file.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "engine/exports.h"
#include "engine/job_context.h"
#include "platform/host/host_platform.h"
#include "platform/simulated_spooler.h"

namespace {

using namespace spoolhook;

struct Machine {
  Machine() : host(Config()), spooler(host, SimulatedSpoolerConfig{}, [](const void*, DWORD) {}) {
    std::filesystem::create_directories(host.config().root / "C" / "BENCH");
    SetPlatform(&spooler);
  }
  ~Machine() {
    SetPlatform(nullptr);
    std::filesystem::remove_all(host.config().root);
  }
  static HostMachineConfig Config() {
    HostMachineConfig config;
    config.root = std::filesystem::temp_directory_path() / "spoolhook-bench";
    return config;
  }
  HostPlatform host;
  SimulatedSpoolerPlatform spooler;
};

std::string Record(std::uint32_t id, const std::string& payload) {
  std::string record(8, '\0');
  std::memcpy(record.data(), &id, 4);
  return record + payload;
}

void Send(HANDLE job, std::string record) {
  DWORD written = 0;
  DrvSplWritePrinter(job, record.data(), static_cast<DWORD>(record.size()), &written);
}

void RawDataRecords(benchmark::State& state, bool capture) {
  Machine machine;
  HANDLE job = DrvSplStartDoc(machine.spooler.printer(), 1);
  if (capture) {
    std::string mode(12, '\0');
    const std::uint32_t settings[] = {30, 2, OUTPUT_PRINTER | OUTPUT_CAPTURE};
    std::memcpy(mode.data(), settings, sizeof settings);
    Send(job, Record(1, mode));
    std::string path(12, '\0');
    const std::uint32_t header[] = {1, 6, 0};
    std::memcpy(path.data(), header, sizeof header);
    for (char c : std::string("C:\\BENCH\\CAPTURE.PRN")) path += std::string{c, '\0'};
    Send(job, Record(5, path + std::string(2, '\0')));
  }
  std::string record = Record(0, std::string(static_cast<std::size_t>(state.range(0)), 'x'));
  for (auto _ : state) {
    DWORD written = 0;
    benchmark::DoNotOptimize(
        DrvSplWritePrinter(job, record.data(), static_cast<DWORD>(record.size()), &written));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
  DrvSplEndDoc(job);
  DrvSplClose(job);
}

void ToThePrinter(benchmark::State& state) { RawDataRecords(state, false); }
void ToThePrinterAndCaptureFile(benchmark::State& state) { RawDataRecords(state, true); }

BENCHMARK(ToThePrinter)->Arg(64)->Arg(4096)->Arg(65536);
BENCHMARK(ToThePrinterAndCaptureFile)->Arg(64)->Arg(4096)->Arg(65536);

}  // namespace

BENCHMARK_MAIN();
