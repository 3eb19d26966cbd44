// Whether the job's printer prints through the LPR port monitor. Ports of other monitors get
// a few zero bytes that an LPR port must not receive.
#pragma once

#include "engine/job_context.h"

namespace spoolhook {

// True unless the printer's port (GetPrinterW level 2 on PrinterHandle) is registered under
// the LPR port monitor's ports key. Every failure to find out counts as a port that is not
// an LPR port.
bool PortIsNotLpr(JobContext* job);

// The most zero bytes WriteZerosUnlessLpr writes.
constexpr DWORD kMaxNonLprZeroBytes = 128;

// Writes `count` (at most kMaxNonLprZeroBytes) zero bytes with WriteDirect, bypassing the
// spool file, when PortIsNotLpr; the write's result, TRUE when nothing was written.
BOOL WriteZerosUnlessLpr(JobContext* job, DWORD count);

}  // namespace spoolhook
