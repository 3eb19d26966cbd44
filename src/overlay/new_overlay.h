// The overlay file that a job creates (NewOverlayPath): the job's printer data go into it
// instead of the printer, and its header is stamped when it is finished.
#pragma once

#include "engine/job_context.h"

namespace spoolhook {

// Subcommand 43: whether the new overlay file can be made where its path says. TRUE also
// when the file exists already (JobError 18, a warning).
BOOL CheckNewOverlayTarget(JobContext* job);
// Subcommand 40: creates the file and sends the job's printer data into it.
BOOL OpenNewOverlay(JobContext* job);
// Subcommand 41: closes the file and stamps its header with the data length, the system
// version and the local time.
BOOL StampOverlayHeader(JobContext* job);
// Subcommand 42: deletes the file if it is there.
BOOL DeleteNewOverlay(JobContext* job);

}  // namespace spoolhook
