// Free disk space of a drive or share: the configured number of free clusters, or what the
// host's file system holds under the volume's folder.
#include <sys/statvfs.h>

#include <algorithm>
#include <cerrno>

#include "platform/host/host_platform_state.h"

namespace spoolhook {
namespace {

constexpr DWORD kBytesPerSector = 512;
constexpr DWORD kConfiguredSectorsPerCluster = 8;
// A configured disk is 16 GiB, or as large as its free space.
constexpr ULONGLONG kConfiguredTotalClusters = 0x400000;

struct DiskSpace {
  DWORD sectorsPerCluster;
  ULONGLONG callerFreeClusters;  // what quotas leave to the caller
  ULONGLONG freeClusters;
  ULONGLONG totalClusters;

  ULONGLONG ClusterBytes() const { return ULONGLONG{sectorsPerCluster} * kBytesPerSector; }
};

DWORD MeasureDisk(const std::filesystem::path& folder, const std::optional<ULONGLONG>& configured,
                  DiskSpace& space) {
  if (configured) {
    space = {kConfiguredSectorsPerCluster, *configured, *configured,
             std::max(*configured, kConfiguredTotalClusters)};
    return ERROR_SUCCESS;
  }
  struct statvfs host;
  if (::statvfs(folder.c_str(), &host) != 0) return ErrorFromErrno(errno, ERROR_PATH_NOT_FOUND);
  const ULONGLONG blockBytes = host.f_frsize ? host.f_frsize : host.f_bsize;
  space.sectorsPerCluster =
      static_cast<DWORD>(std::max<ULONGLONG>(blockBytes / kBytesPerSector, 1));
  const auto clusters = [&](ULONGLONG blocks) {
    return blocks * blockBytes / space.ClusterBytes();
  };
  space.callerFreeClusters = clusters(host.f_bavail);
  space.freeClusters = clusters(host.f_bfree);
  space.totalClusters = clusters(host.f_blocks);
  return ERROR_SUCCESS;
}

DWORD Clamp32(ULONGLONG value) {
  return static_cast<DWORD>(std::min<ULONGLONG>(value, 0xFFFFFFFFu));
}

}  // namespace

// Any folder of a drive or share stands for the disk that holds it.
DWORD HostPlatform::State::MapFolder(const char16_t* name, std::filesystem::path& folder) const {
  MappedPath path;
  if (const DWORD error = Map(name ? std::u16string(name) : u"\\", path)) return error;
  const HostEntry entry = InspectHostPath(path.host);
  if (!entry.exists) return ERROR_PATH_NOT_FOUND;
  if (!entry.directory) return ERROR_DIRECTORY;
  folder = path.host;
  return ERROR_SUCCESS;
}

BOOL HostPlatform::GetDiskFreeSpaceW(const char16_t* root, DWORD* sectorsPerCluster,
                                     DWORD* bytesPerSector, DWORD* freeClusters,
                                     DWORD* totalClusters) {
  DiskSpace space;
  std::filesystem::path folder;
  DWORD error = state_->MapFolder(root, folder);
  if (!error) error = MeasureDisk(folder, state_->config.freeClusters, space);
  if (error) {
    SetLastError(error);
    return FALSE;
  }
  if (sectorsPerCluster) *sectorsPerCluster = space.sectorsPerCluster;
  if (bytesPerSector) *bytesPerSector = kBytesPerSector;
  if (freeClusters) *freeClusters = Clamp32(space.callerFreeClusters);
  if (totalClusters) *totalClusters = Clamp32(space.totalClusters);
  return TRUE;
}

BOOL HostPlatform::GetDiskFreeSpaceExW(const char16_t* directory, ULONGLONG* freeToCaller,
                                       ULONGLONG* totalBytes, ULONGLONG* totalFreeBytes) {
  DiskSpace space;
  std::filesystem::path folder;
  DWORD error = state_->MapFolder(directory, folder);
  if (!error) error = MeasureDisk(folder, state_->config.freeClusters, space);
  if (error) {
    SetLastError(error);
    return FALSE;
  }
  if (freeToCaller) *freeToCaller = space.callerFreeClusters * space.ClusterBytes();
  if (totalBytes) *totalBytes = space.totalClusters * space.ClusterBytes();
  if (totalFreeBytes) *totalFreeBytes = space.freeClusters * space.ClusterBytes();
  return TRUE;
}

}  // namespace spoolhook
