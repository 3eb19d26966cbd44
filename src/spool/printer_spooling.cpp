#include "spool/printer_spooling.h"

#include <cstdio>
#include <cstring>

#include "engine/output_sink.h"
#include "spool/replay.h"

namespace spoolhook {
namespace {

constexpr char kUniversalExit[] = "\x1B%-12345X";
constexpr char kModeLine[] = "@PJL RVXMODE\n";
constexpr char kEndString[] = "ENDOFJOBSPOOL";

// Allowances of the estimate: bytes per unit, times the spool file is counted, fixed bytes.
struct Allowance {
  std::uint64_t perUnit;
  std::uint64_t spoolTimes;
  std::uint64_t fixed;
};
constexpr Allowance kLargeTwice = {1080, 2, 1010};
constexpr Allowance kLarge = {1120, 1, 1010};
constexpr Allowance kSmall = {520, 1, 550};

std::uint64_t MemoryBytes(DWORD memoryMiB) { return std::uint64_t{memoryMiB} << 20; }

// One write to the printer. Its result is not asked: only the replay decides the job's.
void SendText(JobContext* job, const char* text) {
  DWORD written = 0;
  WriteDirect(job, text, static_cast<DWORD>(std::strlen(text)), &written);
}

// The host makes the copies: every pass between the universal exits.
BOOL SendHostCopies(JobContext* job, LONG copies) {
  char text[64];
  std::snprintf(text, sizeof text, "%s%s", kUniversalExit, kModeLine);
  SendText(job, text);
  const BOOL result = ReplayPasses(job, copies);
  SendText(job, kUniversalExit);
  return result;
}

// The printer makes the copies: the job once, inside the spool request and its end string.
BOOL SendPrinterCopies(JobContext* job, LONG copies) {
  char text[128];
  std::snprintf(text, sizeof text, "%s%s@PJL SPOOL COPIES=%ld ENDSTR=\"%s\"\n", kUniversalExit,
                kModeLine, static_cast<long>(copies), kEndString);
  SendText(job, text);
  const BOOL result = ReplayPasses(job, 1);
  std::snprintf(text, sizeof text, "%s%s", kEndString, kUniversalExit);
  SendText(job, text);
  return result;
}

// The bytes the printer needs to store the job of `spoolSize` bytes.
std::uint64_t SpoolBytesNeeded(const SpoolEstimate& estimate, DWORD spoolSize) {
  const DWORD mode =
      estimate.modeFlags & SPOOL_MODE_LOW_16_BITS ? estimate.mode & 0xFFFF : estimate.mode;
  const Allowance& allowance = mode != SPOOL_MODE_LARGE                  ? kSmall
                               : estimate.countFlags & SPOOL_COUNT_TWICE ? kLargeTwice
                                                                         : kLarge;
  return allowance.perUnit * estimate.units + allowance.spoolTimes * spoolSize + allowance.fixed;
}

}  // namespace

bool PrinterSpoolFits(JobContext* job, const SpoolEstimate& estimate) {
  DWORD size = 0;
  if (!GetSpoolSize(job, &size)) return false;
  return SpoolBytesNeeded(estimate, size) <= MemoryBytes(estimate.memoryMiB) && GetCopies(job) > 1;
}

BOOL PrinterSpoolJob(JobContext* job, DWORD memoryMiB) {
  if (!OpenReplay(job)) return FALSE;
  DWORD size = 0;
  BOOL result = GetSpoolSize(job, &size);
  if (result) {
    const LONG copies = GetCopies(job);
    result = size > MemoryBytes(memoryMiB) || copies <= 1 ? SendHostCopies(job, copies)
                                                          : SendPrinterCopies(job, copies);
  }
  CloseReplay(job);
  return result;
}

}  // namespace spoolhook
