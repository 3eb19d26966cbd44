// The process's current directory, which relative paths are resolved against.
#include <cstring>

#include "platform/host/host_platform_state.h"
#include "platform/host/host_text.h"

namespace spoolhook {

// The size counts the terminator when the buffer is too small, not on success.
DWORD HostPlatform::GetCurrentDirectoryW(DWORD size, char16_t* buffer) {
  std::u16string text;
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    text = state_->currentDirectory.Text();
  }
  if (size < text.size() + 1) return static_cast<DWORD>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(char16_t));
  return static_cast<DWORD>(text.size());
}

BOOL HostPlatform::SetCurrentDirectoryW(const char16_t* path) {
  if (!path) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  MappedPath mapped;
  DWORD error = state_->Map(CopyText(path), mapped);
  const HostEntry entry = error ? HostEntry{} : InspectHostPath(mapped.host);
  if (!error && !entry.exists) error = MissingNameError(mapped.host);
  if (!error && !entry.directory) error = ERROR_DIRECTORY;
  if (error) {
    SetLastError(error);
    return FALSE;
  }
  mapped.windows.trailingSeparator = false;
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->currentDirectory = std::move(mapped.windows);
  return TRUE;
}

}  // namespace spoolhook
