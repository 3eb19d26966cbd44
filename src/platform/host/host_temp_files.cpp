// The temporary folder and GetTempFileNameA's unique names.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/host/code_page_1252.h"
#include "platform/host/host_platform_state.h"

namespace spoolhook {
namespace {

constexpr std::size_t kMaxPath = 260;
// Room that GetTempFileNameA keeps for the name it adds to the folder.
constexpr std::size_t kTempNameRoom = 14;
constexpr UINT kUniqueNumbers = 0xFFFF;

// The unique part of a name: upper-case hexadecimal without leading zeros.
std::string UniquePart(UINT unique) {
  char digits[8];
  std::snprintf(digits, sizeof digits, "%X", unique & 0xFFFFu);
  return std::string(digits) + ".TMP";
}

}  // namespace

DWORD HostPlatform::State::CreateTempFile(const std::string& start, UINT& unique,
                                          std::string& name) {
  for (UINT attempt = 0; attempt < kUniqueNumbers; ++attempt) {
    const UINT candidate = nextTempUnique.fetch_add(1);
    if (candidate == 0) continue;  // 0 asks for a number; it is never one
    name = start + UniquePart(candidate);
    MappedPath path;
    if (const DWORD error = Map(AnsiToWide(name), path)) return error;
    // Mapping found any existing file of the name in another case, so O_EXCL sees it.
    const int descriptor = ::open(path.host.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor >= 0) {
      ::close(descriptor);
      unique = candidate;
      return ERROR_SUCCESS;
    }
    if (errno != EEXIST) return ErrorFromErrno(errno);
  }
  return ERROR_FILE_EXISTS;
}

// The size counts the terminator when the buffer is too small, not on success.
DWORD HostPlatform::GetTempPathA(DWORD size, char* buffer) {
  const std::string& path = state_->config.tempPath;
  if (size < path.size() + 1) return static_cast<DWORD>(path.size() + 1);
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return static_cast<DWORD>(path.size());
}

UINT HostPlatform::GetTempFileNameA(const char* path, const char* prefix, UINT unique,
                                    char* tempFileName) {
  if (!path || !tempFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::string folder(path);
  if (folder.size() > kMaxPath - kTempNameRoom) {
    SetLastError(ERROR_BUFFER_OVERFLOW);
    return 0;
  }
  MappedPath mapped;
  DWORD error = state_->Map(AnsiToWide(folder), mapped);
  if (!error && !InspectHostPath(mapped.host).directory) error = ERROR_DIRECTORY;
  const bool separated = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
  const std::string start =
      folder + (separated ? "" : "\\") + std::string(prefix ? prefix : "").substr(0, 3);
  std::string name = start + UniquePart(unique);
  if (!error && unique == 0) error = state_->CreateTempFile(start, unique, name);
  if (error) {
    SetLastError(error);
    return 0;
  }
  std::memcpy(tempFileName, name.c_str(), name.size() + 1);
  return unique;
}

}  // namespace spoolhook
