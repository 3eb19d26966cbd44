// What spooling and replaying a job costs per page, for jobs of 10, 1,000 and 100,000 pages:
// the replay reads each part through the job's 4096-byte buffer and finds pages and sections
// by their position in the index, so the cost per page should not grow with the job.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "bench_machine.h"

namespace {

using namespace spoolhook;
using namespace spoolhook::bench;

// The parts of every spooled job: a header, pages of a lead and a body, a trailer.
constexpr std::size_t kHeaderBytes = 256, kLeadBytes = 64, kBodyBytes = 448, kTrailerBytes = 64;

std::string SpoolRecord(std::uint32_t subcommand, std::uint32_t parameter = 0,
                        std::initializer_list<std::uint32_t> slots = {}) {
  std::string payload = Words({subcommand, parameter});
  for (std::uint32_t slot : slots) payload += Words({slot});
  return Record(2, payload);
}

std::string RawData(std::size_t bytes) { return Record(0, std::string(bytes, 'x')); }

// The records that spool one job of `pages` pages, built once and sent many times.
struct SpoolStream {
  std::string create = SpoolRecord(100), close = SpoolRecord(101), remove = SpoolRecord(102);
  std::string header = SpoolRecord(105), trailer = SpoolRecord(106);
  std::string lead = SpoolRecord(107), body = SpoolRecord(108);
  std::string headerData = RawData(kHeaderBytes), trailerData = RawData(kTrailerBytes);
  std::string leadData = RawData(kLeadBytes), bodyData = RawData(kBodyBytes);

  // Spools the job; FALSE when a record failed.
  bool Spool(HANDLE job, std::int64_t pages) {
    bool ok = Send(job, create) && Send(job, header) && Send(job, headerData);
    for (std::int64_t page = 0; ok && page < pages; ++page) {
      ok = Send(job, lead) && Send(job, leadData) && Send(job, body) && Send(job, bodyData);
    }
    return ok && Send(job, trailer) && Send(job, trailerData) && Send(job, close);
  }
};

// A job started on a fresh machine, ended and closed with the benchmark.
struct Job {
  Job() : handle(DrvSplStartDoc(machine.spooler.printer(), 1)) {}
  ~Job() {
    DrvSplEndDoc(handle);
    DrvSplClose(handle);
  }
  Machine machine;
  HANDLE handle;
};

// Spooling: subcommand 100, the header, the pages with marks 107 and 108 and their raw data,
// the trailer, 101; then 102 deletes the spool for the next round (outside the clock).
void Spooling(benchmark::State& state) {
  Job job;
  SpoolStream stream;
  const std::int64_t pages = state.range(0);
  for (auto _ : state) {
    if (!stream.Spool(job.handle, pages)) state.SkipWithError("spooling failed");
    state.PauseTiming();
    Send(job.handle, stream.remove);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * pages);
}

struct ReplayOrder {
  std::uint32_t reverse;
  std::uint32_t duplex;
};

// Subcommand 104 in page order, one copy, the paper-source mode 0: every round opens a
// reader, plays the job to the port and closes the reader again.
void Replay(benchmark::State& state, ReplayOrder order) {
  Job job;
  SpoolStream stream;
  const std::int64_t pages = state.range(0);
  if (!stream.Spool(job.handle, pages) || !Send(job.handle, SpoolRecord(103, 0, {0, 0, 1, 0})) ||
      !Send(job.handle, SpoolRecord(103, 1, {order.duplex, 1})) ||
      !Send(job.handle, SpoolRecord(103, 2, {0, order.reverse}))) {
    state.SkipWithError("spooling failed");
    return;
  }
  // In reverse order the lead of page 1 is not played; the even page counts need no blank
  // side.
  const std::uint64_t leads = order.reverse ? pages - 1 : pages;
  const std::uint64_t perRound =
      kHeaderBytes + leads * kLeadBytes + pages * kBodyBytes + kTrailerBytes;
  std::string replay = SpoolRecord(104);
  job.machine.portBytes = 0;
  for (auto _ : state) {
    if (!Send(job.handle, replay)) state.SkipWithError("replay failed");
  }
  if (job.machine.portBytes != perRound * state.iterations()) {
    state.SkipWithError("the port did not get the whole job");
  }
  state.SetItemsProcessed(state.iterations() * pages);
  state.SetBytesProcessed(static_cast<std::int64_t>(job.machine.portBytes));
}

// Subcommands 135 and 136 for one page of a 100,000-page job, with a reader opened by 130.
void SinglePageReplay(benchmark::State& state) {
  Job job;
  SpoolStream stream;
  if (!stream.Spool(job.handle, 100000) || !Send(job.handle, SpoolRecord(130))) {
    state.SkipWithError("spooling failed");
    return;
  }
  const auto page = static_cast<std::uint32_t>(state.range(0));
  std::string lead = SpoolRecord(135, page), body = SpoolRecord(136, page);
  job.machine.portBytes = 0;
  for (auto _ : state) {
    if (!Send(job.handle, lead) || !Send(job.handle, body)) state.SkipWithError("replay failed");
  }
  if (job.machine.portBytes != (kLeadBytes + kBodyBytes) * state.iterations()) {
    state.SkipWithError("the port did not get the page");
  }
  Send(job.handle, SpoolRecord(131));
  state.SetItemsProcessed(state.iterations());
}

// Rounds per job size: a fixed count, so that each size handles 100,000 pages or more and
// the whole benchmark ends within a minute on two cores.
struct JobSize {
  std::int64_t pages;
  std::int64_t rounds;
};
constexpr JobSize kJobSizes[] = {{10, 10000}, {1000, 100}, {100000, 2}};

struct NamedOrder {
  const char* name;
  ReplayOrder order;
};
constexpr NamedOrder kOrders[] = {{"ForwardOneSided", {0, 0}},
                                  {"ForwardTwoSided", {0, 1}},
                                  {"ReverseOneSided", {1, 0}},
                                  {"ReverseTwoSided", {1, 1}}};

benchmark::internal::Benchmark* PerJobSize(benchmark::internal::Benchmark* bench, JobSize size) {
  return bench->Arg(size.pages)->Iterations(size.rounds)->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
  for (const JobSize& size : kJobSizes) {
    PerJobSize(benchmark::RegisterBenchmark("Spooling", Spooling), size);
  }
  for (const NamedOrder& replay : kOrders) {
    for (const JobSize& size : kJobSizes) {
      PerJobSize(benchmark::RegisterBenchmark(replay.name, Replay, replay.order), size);
    }
  }
  // The first and the last page of a 100,000-page job, spooled once for each.
  benchmark::RegisterBenchmark("SinglePageReplay", SinglePageReplay)
      ->Arg(1)
      ->Arg(100000)
      ->Iterations(100000)
      ->Unit(benchmark::kMicrosecond);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
