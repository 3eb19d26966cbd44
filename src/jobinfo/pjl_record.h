// Records 0x1030 to 0x1033: the user text, the zero bytes for ports that are not LPR ports,
// and the PJL job and end-of-job name lines, named with the accounting plug-in's text.
#pragma once

#include "engine/job_context.h"
#include "engine/record_view.h"

namespace spoolhook {

constexpr DWORD PJL_RECORD_FIRST = 0x1030;
constexpr DWORD PJL_RECORD_LAST = 0x1033;

// What each record reports written is in docs/records.md. A record shorter than its head
// fails with 0 written and nothing sent.
BOOL HandlePjlRecord(JobContext* job, const RecordView& record, DWORD* written);

// Writes ' USER="<name>"' with the job's user name (at most 32 bytes, unescaped) and no line
// end, with WriteRecordData; the count written is that write's.
BOOL SendUserText(JobContext* job, DWORD* written);

}  // namespace spoolhook
