#include "jobinfo/job_user_name.h"

#include <string_view>

#include "engine/slots.h"
#include "platform/platform.h"

namespace spoolhook {
namespace {

constexpr DWORD kJobInfoLevel = 2;
constexpr DWORD kAccountNameUnits = 257;
// A job that the spooler could not attribute reads "UNKNOWN" with a submission time that was
// never set; that is no user's name.
constexpr std::u16string_view kUnknownUser = u"UNKNOWN";
constexpr WORD kFirstRealYear = 1900;

bool IsUnattributedJob(const JOB_INFO_2W& info) {
  return info.Submitted.wYear < kFirstRealYear && info.pUserName &&
         std::u16string_view(info.pUserName) == kUnknownUser;
}

// Copies the job's user from the spooler into UserName. A missing name (Wine's spooler gives
// none) counts as an empty one and is not taken.
void TakeSpoolerUserName(JobContext* job) {
  DWORD needed = 0;
  Os().GetJobW(job->Printer, job->JobId, kJobInfoLevel, nullptr, 0, &needed);
  if (needed < sizeof(JOB_INFO_2W)) return;
  BYTE* block = nullptr;
  if (MemAlloc(&block, needed) &&
      Os().GetJobW(job->Printer, job->JobId, kJobInfoLevel, block, needed, &needed)) {
    const JOB_INFO_2W* info = reinterpret_cast<const JOB_INFO_2W*>(block);
    if (!IsUnattributedJob(*info) && info->pUserName) {
      MemCopyStringW(&job->UserName, info->pUserName);
    }
  }
  MemFree(&block);
}

void TakeAccountName(JobContext* job) {
  char16_t* name = MemAlloc(&job->UserName, kAccountNameUnits * sizeof(char16_t));
  if (!name) return;
  DWORD size = kAccountNameUnits;
  if (!Os().GetUserNameW(name, &size)) name[0] = u'\0';
}

}  // namespace

char16_t* GetJobUserName(JobContext* job) {
  if (job->UserName) return job->UserName;
  TakeSpoolerUserName(job);
  if (!job->UserName) TakeAccountName(job);
  return job->UserName;
}

}  // namespace spoolhook
