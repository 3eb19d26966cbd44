// Handlers of the engine records the dispatch serves itself. Each takes the whole record and
// the spooler's count written (preset to 0 by the dispatch); a record too short for the
// fields its handler reads fails with 0 written and changes nothing.
#pragma once

#include "engine/job_context.h"
#include "engine/record_view.h"

namespace spoolhook {

constexpr DWORD kRecordHeadBytes = 8;

// Id 0: printer data, through WriteJobData; reports the bytes written plus the record head.
BOOL HandleRawDataRecord(JobContext* job, const RecordView& record, DWORD* written);
// Id 1: output mode, accounting path and user name. TRUE for every well-formed record.
BOOL HandleSettingsRecord(JobContext* job, const RecordView& record, DWORD* written);
// Id 5: overlay paths and the capture path.
BOOL HandleStringRecord(JobContext* job, const RecordView& record, DWORD* written);

}  // namespace spoolhook
