// Every byte for the printer leaves through these writers. WriteJobData goes into the spool
// (or new overlay) file while the job is spooling and to the OutputMode destinations
// otherwise; WriteRecordData is WriteJobData behind the cancellation check; WriteDirect
// always goes to the destinations.
#pragma once

#include "engine/job_context.h"

namespace spoolhook {

BOOL WriteJobData(JobContext* job, const void* data, DWORD count, DWORD* written);
BOOL WriteRecordData(JobContext* job, const void* data, DWORD count, DWORD* written);
BOOL WriteDirect(JobContext* job, const void* data, DWORD count, DWORD* written);

// Opens the capture file once both the capture mode and its path are known; turns capture
// off (printer only) when the file cannot be made. Always TRUE.
BOOL OpenCaptureFile(JobContext* job);

}  // namespace spoolhook
