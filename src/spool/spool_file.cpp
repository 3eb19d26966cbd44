#include "spool/spool_file.h"

#include <cstring>

#include "engine/job_errors.h"
#include "engine/slots.h"
#include "platform/platform.h"
#include "spool/page_marks.h"
#include "spool/replay.h"

namespace spoolhook {
namespace {

constexpr DWORD kTempPathChars = 130;
// Drive letter, colon, backslash.
constexpr std::size_t kRootChars = 3;

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The root folder of the drive that holds the temporary folder. A path that does not fit the
// buffer is a failure: the call then fills nothing.
bool GetTempRoot(char (&root)[kTempPathChars]) {
  const DWORD length = Os().GetTempPathA(kTempPathChars, root);
  if (length == 0 || length >= kTempPathChars) return false;
  root[kRootChars] = '\0';
  return true;
}

// A lettered drive that reports its geometry and at least one free cluster.
bool HasFreeSpace(const char* root) {
  if (!IsAsciiLetter(root[0]) || root[1] != ':') return false;
  const char16_t drive[] = {static_cast<char16_t>(root[0]), u':', u'\\', u'\0'};
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  return Os().GetDiskFreeSpaceW(drive, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                                &totalClusters) &&
         sectorsPerCluster && bytesPerSector && freeClusters;
}

BOOL FailSpoolFile(JobContext* job) {
  CancelJobOutput(job);
  job->ErrorLatched = 1;
  return FALSE;
}

}  // namespace

BOOL CreateSpoolFile(JobContext* job) {
  char root[kTempPathChars] = {};
  if (!GetTempRoot(root)) return FailSpoolFile(job);
  if (!HasFreeSpace(root)) {
    job->JobError = JOB_ERROR_NO_DISK_SPACE;
    return FailSpoolFile(job);
  }
  if (!Os().GetTempFileNameA(root, "SPL", 0, job->SpoolFileName)) {
    std::memset(job->SpoolFileName, 0, sizeof job->SpoolFileName);
    return FailSpoolFile(job);
  }
  if (OpenFileSlot(&job->SpoolFile, job->SpoolFileName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                   FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_SEQUENTIAL_SCAN,
                   nullptr) == INVALID_HANDLE_VALUE) {
    job->JobError = JOB_ERROR_CANNOT_CREATE;
    return FailSpoolFile(job);
  }
  job->Spooling = 1;
  return TRUE;
}

BOOL EndSpooling(JobContext* job) {
  BOOL result = CloseMarks(job);
  // A failed write has closed the file already; what it holds is not the job.
  if (result && job->ErrorLatched && (job->Flags & SPOOL_WRITE_FAILED)) result = FALSE;
  if (result) result = CloseFileSlot(&job->SpoolFile);
  job->Spooling = 0;
  return result;
}

BOOL DeleteSpool(JobContext* job) {
  // An open reader would keep the file from being deleted.
  CloseReplay(job);
  CloseFileSlot(&job->SpoolFile);
  // With the file closed, later data must not be written into it.
  job->Spooling = 0;
  if (job->SpoolFileName[0]) Os().DeleteFileA(job->SpoolFileName);
  std::memset(job->SpoolFileName, 0, sizeof job->SpoolFileName);
  ReleasePageIndex(job);
  return TRUE;
}

}  // namespace spoolhook
