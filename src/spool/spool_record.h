// Record id 2: spooling a job into its spool file, marking its index, setting the replay
// parameters and replaying it.
#pragma once

#include "engine/job_context.h"
#include "engine/record_view.h"

namespace spoolhook {

// A subcommand that succeeds reports the whole record as written; one that fails cancels the
// job's output and reports 0. A record too short for the fields its subcommand reads fails
// with 0 written and changes nothing.
BOOL HandleSpoolRecord(JobContext* job, const RecordView& record, DWORD* written);

}  // namespace spoolhook
