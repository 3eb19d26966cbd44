// Records 0x1010 to 0x1015: printer data with or without a data wrapper, the end of
// wrapping, the job-information steps and the zero bytes for ports that are not LPR ports.
#pragma once

#include "engine/job_context.h"
#include "engine/record_view.h"

namespace spoolhook {

constexpr DWORD JOB_INFO_RECORD_FIRST = 0x1010;
constexpr DWORD JOB_INFO_RECORD_LAST = 0x1015;

// WrapperState after a start of wrapping (record 0x1012 with a subcommand other than 2).
constexpr DWORD WRAPPER_STARTED = 0x2000;

// What each record reports written is in docs/records.md. A record too short for the fields
// its id reads, and a record 0x1011 whose data one wrapper cannot announce, fail with 0
// written and nothing sent.
BOOL HandleJobInfoRecord(JobContext* job, const RecordView& record, DWORD* written);

}  // namespace spoolhook
