// How fast printer data pass through the library: raw data records of several sizes through
// DrvSplWritePrinter to a port that discards them, with and without the capture file.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "bench_machine.h"
#include "engine/job_context.h"

namespace {

using namespace spoolhook;
using namespace spoolhook::bench;

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
