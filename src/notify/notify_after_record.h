// The notification step the dispatch runs after an engine record that left a JobError, and
// after every record of id 3: it tells the user of the failure with one pop-up (two for the
// check of a new overlay file's path).
#pragma once

#include "engine/job_context.h"
#include "engine/record_view.h"

namespace spoolhook {

// `code` is the JobError the record left, `result` what its dispatch returned. Nothing here
// changes the job's error, its output or the spooler's result.
void NotifyAfterRecord(JobContext* job, const RecordView& record, DWORD code, BOOL result);

}  // namespace spoolhook
