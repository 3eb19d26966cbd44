// Printer-side job spooling: a spooled job that fits the printer's memory is sent once inside
// a PJL job-spooling request, and the printer makes the copies; otherwise the host sends it
// once per copy. The PJL lines go out with WriteDirect, the job through the replay.
#pragma once

#include "engine/job_context.h"

namespace spoolhook {

// What the renderer tells about the job for the memory estimate.
struct SpoolEstimate {
  DWORD memoryMiB;
  DWORD modeFlags;   // SPOOL_MODE_LOW_16_BITS
  DWORD mode;        // SPOOL_MODE_LARGE selects the larger allowances
  DWORD countFlags;  // SPOOL_COUNT_TWICE (with SPOOL_MODE_LARGE)
  DWORD units;       // each adds a fixed allowance
};

constexpr DWORD SPOOL_MODE_LOW_16_BITS = 0x4;
constexpr DWORD SPOOL_MODE_LARGE = 3;
constexpr DWORD SPOOL_COUNT_TWICE = 0x2;

// Whether the spooled job, with the estimate's allowances, fits the printer's memory and asks
// for more than one copy. No when the spool size cannot be read; a spool file that cannot be
// opened counts as empty. Counted in 64 bits: no sum wraps to a small need.
bool PrinterSpoolFits(JobContext* job, const SpoolEstimate& estimate);
// Sends the spooled job: once inside the spool request when it fits `memoryMiB` and asks for
// more than one copy, else Copies times between the universal exits. Opens and closes its own
// reader; the replay's result decides. Nothing is sent when the reader or the size cannot
// be had.
BOOL PrinterSpoolJob(JobContext* job, DWORD memoryMiB);

}  // namespace spoolhook
