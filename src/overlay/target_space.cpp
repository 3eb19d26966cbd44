#include "overlay/target_space.h"

#include <cstring>
#include <string_view>

#include "engine/job_errors.h"
#include "platform/platform.h"

namespace spoolhook {
namespace {

// "\\SERVER\SHARE" may take this many bytes.
constexpr std::size_t kShareRootBytes = 255;

BOOL Fail(JobContext* job, DWORD code) {
  job->JobError = code;
  job->ErrorLatched = 1;
  return FALSE;
}

// The ANSI root in UTF-16 with its terminator; false when it cannot be converted.
bool RootToWide(std::string_view root, char16_t (&wide)[kShareRootBytes + 1]) {
  const int units = Os().MultiByteToWideChar(CP_ACP, 0, root.data(), static_cast<int>(root.size()),
                                             wide, kShareRootBytes);
  if (units <= 0) return false;
  wide[units] = u'\0';
  return true;
}

// "\\SERVER\SHARE" of a network path, without a trailing backslash; empty when the path names
// no server and share.
std::string_view ShareRoot(std::string_view path) {
  const std::size_t serverEnd = path.find('\\', 2);
  if (serverEnd == std::string_view::npos || serverEnd == 2) return {};
  const std::size_t shareEnd = path.find('\\', serverEnd + 1);
  const std::string_view root = path.substr(0, shareEnd);
  return root.size() > serverEnd + 1 ? root : std::string_view();
}

BOOL CheckShare(JobContext* job, std::string_view path) {
  const std::string_view root = ShareRoot(path);
  char16_t wide[kShareRootBytes + 1];
  if (root.empty() || root.size() > kShareRootBytes || !RootToWide(root, wide)) {
    return Fail(job, JOB_ERROR_CANNOT_CREATE);
  }
  ULONGLONG freeToCaller = 0, totalBytes = 0, totalFree = 0;
  if (!Os().GetDiskFreeSpaceExW(wide, &freeToCaller, &totalBytes, &totalFree)) {
    return Fail(job, JOB_ERROR_FREE_SPACE_UNKNOWN);
  }
  if (freeToCaller == 0 || totalFree == 0) return Fail(job, JOB_ERROR_NO_DISK_SPACE);
  return TRUE;
}

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

BOOL CheckDrive(JobContext* job, std::string_view path) {
  if (path.size() < 2 || !IsLetter(path[0]) || path[1] != ':') {
    return Fail(job, JOB_ERROR_CANNOT_CREATE);
  }
  const char16_t root[] = {static_cast<char16_t>(path[0]), u':', u'\\', u'\0'};
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  if (!Os().GetDiskFreeSpaceW(root, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                              &totalClusters)) {
    return Fail(job, JOB_ERROR_FREE_SPACE_UNKNOWN);
  }
  if (sectorsPerCluster == 0 || bytesPerSector == 0 || freeClusters == 0) {
    return Fail(job, JOB_ERROR_NO_DISK_SPACE);
  }
  return TRUE;
}

}  // namespace

BOOL CheckTargetFreeSpace(JobContext* job, const char* path) {
  job->JobError = JOB_ERROR_NONE;
  if (!path || !path[0]) return Fail(job, JOB_ERROR_CANNOT_CREATE);
  const std::string_view text(path);
  if (text.size() >= 2 && text[0] == '\\' && text[1] == '\\') return CheckShare(job, text);
  return CheckDrive(job, text);
}

}  // namespace spoolhook
