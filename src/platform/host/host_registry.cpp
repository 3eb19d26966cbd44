// The registry: keys under HKEY_LOCAL_MACHINE that the machine's configuration lists, opened
// by path without regard to case. The library only ever asks whether a key exists.
#include <algorithm>

#include "platform/host/host_platform_state.h"
#include "platform/host/host_text.h"

namespace spoolhook {

std::vector<std::u16string> SplitKeyPath(std::u16string_view path) {
  std::vector<std::u16string> names;
  while (!path.empty()) {
    const std::size_t end = std::min(path.find(u'\\'), path.size());
    if (end > 0) names.push_back(FoldCase(path.substr(0, end)));
    path.remove_prefix(std::min(end + 1, path.size()));
  }
  return names;
}

LONG HostPlatform::RegOpenKeyExW(HKEY key, const char16_t* subKey, DWORD, REGSAM, HKEY* result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  const std::vector<std::u16string> names = SplitKeyPath(CopyText(subKey));
  std::uintptr_t handle = 0;
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    std::vector<std::u16string> path;
    if (key != HKEY_LOCAL_MACHINE) {
      const auto found = state_->keys.find(reinterpret_cast<std::uintptr_t>(key));
      if (found == state_->keys.end()) return ERROR_INVALID_HANDLE;
      path = found->second;
    }
    path.insert(path.end(), names.begin(), names.end());
    // A listed key implies all of its parents.
    const bool exists =
        path.empty() || std::any_of(state_->registryKeys.begin(), state_->registryKeys.end(),
                                    [&](const std::vector<std::u16string>& listed) {
                                      return listed.size() >= path.size() &&
                                             std::equal(path.begin(), path.end(), listed.begin());
                                    });
    if (!exists) return ERROR_FILE_NOT_FOUND;
    handle = NewHandleValue();
    state_->keys.emplace(handle, std::move(path));
  }
  *result = reinterpret_cast<HKEY>(handle);
  return ERROR_SUCCESS;
}

LONG HostPlatform::RegCloseKey(HKEY key) {
  if (key == HKEY_LOCAL_MACHINE) return ERROR_SUCCESS;  // predefined keys stay open
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->keys.erase(reinterpret_cast<std::uintptr_t>(key)) ? ERROR_SUCCESS
                                                                   : ERROR_INVALID_HANDLE;
}

}  // namespace spoolhook
