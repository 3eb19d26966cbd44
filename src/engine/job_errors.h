// The job's error codes (JobError): what the last engine record left for the pop-up step,
// which tells the user of each with its message.
#pragma once

#include "platform/win_types.h"

namespace spoolhook {

constexpr DWORD JOB_ERROR_NONE = 0;
// Record id 3 carried a subcommand it does not know; the job goes on.
constexpr DWORD JOB_ERROR_UNKNOWN_SUBCOMMAND = 1;
// The free space of the new overlay file's drive or share cannot be queried.
constexpr DWORD JOB_ERROR_FREE_SPACE_UNKNOWN = 16;
// No free disk space, or a write into the spool or overlay file failed or was short.
constexpr DWORD JOB_ERROR_NO_DISK_SPACE = 17;
// The new overlay file exists already and will be overwritten; the job goes on.
constexpr DWORD JOB_ERROR_OVERLAY_EXISTS = 18;
// The new overlay file's path is unusable or the file cannot be created; or the spool file
// cannot be created.
constexpr DWORD JOB_ERROR_CANNOT_CREATE = 19;
constexpr DWORD JOB_ERROR_OVERLAY_OPEN = 32;
constexpr DWORD JOB_ERROR_OVERLAY_READ = 33;
constexpr DWORD JOB_ERROR_OVERLAY_WRITE = 34;
// A listed overlay file is not an overlay file.
constexpr DWORD JOB_ERROR_NOT_AN_OVERLAY = 48;
// An overlay file's paper size, orientation or page geometry differs from the job's.
constexpr DWORD JOB_ERROR_OVERLAY_PAGE = 64;

// Never stored in JobError: the notification step's own code for the warning that scaling
// and page layout cannot be used while an overlay file is created.
constexpr DWORD NOTIFY_SCALING_WHILE_CREATING = 4097;

}  // namespace spoolhook
