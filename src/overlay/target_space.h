// Whether the drive or network share that a new overlay file would go to has room.
#pragma once

#include "engine/job_context.h"

namespace spoolhook {

// TRUE when the drive of "X:..." or the share of "\\SERVER\SHARE..." reports any free space
// at all. On failure JobError is 19 (unusable path), 16 (the free space cannot be queried)
// or 17 (none free), and ErrorLatched is set.
BOOL CheckTargetFreeSpace(JobContext* job, const char* path);

}  // namespace spoolhook
