// The temporary spool file that holds a job's printer data while it is spooled: created in
// the root of the temporary drive, closed for writing when the job is spooled, deleted with
// its index.
#pragma once

#include "engine/job_context.h"

namespace spoolhook {

// Creates the spool file and turns Spooling on. Any failure cancels the job's output and
// latches the error.
BOOL CreateSpoolFile(JobContext* job);
// Closes the open region and the spool file; Spooling is off afterwards in every case.
// Fails after a failed spool write.
BOOL EndSpooling(JobContext* job);
// Closes a replay reader and the spool file, deletes the file and frees the index. Always
// TRUE.
BOOL DeleteSpool(JobContext* job);

}  // namespace spoolhook
