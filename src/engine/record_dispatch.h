// Hands each command record to its owner and reports the result and the count written back
// to the spooler. Records without bit 0x1000 in their id are the engine's and run under the
// exception guard; the others are the driver layer's.
#pragma once

#include "engine/job_context.h"
#include "engine/record_view.h"

namespace spoolhook {

constexpr DWORD DRIVER_RECORD_BIT = 0x1000;

// The body of DrvSplWritePrinter.
BOOL WriteJobRecord(JobContext* job, const void* buffer, DWORD count, DWORD* written);

// One engine record: clears JobError and the count written, then runs the record's handler.
BOOL DispatchEngineRecord(JobContext* job, const RecordView& record, DWORD* written);

}  // namespace spoolhook
