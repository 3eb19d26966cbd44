// The job's user name, looked up once per job and kept in the JobContext's UserName.
#pragma once

#include "engine/job_context.h"

namespace spoolhook {

// The job's user name as UTF-16 text: the one the engine's settings record gave, else the
// job's user from the spooler, else the account this call runs under (an empty text when even
// that cannot be had). None only when no memory could be had. The job keeps the text in
// UserName; the caller does not free it.
char16_t* GetJobUserName(JobContext* job);

}  // namespace spoolhook
