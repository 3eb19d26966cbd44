// LoadStringW: the library's own string table, served under HostPlatform::LibraryModule().
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/host/host_platform_state.h"
#include "resources/string_table.h"

namespace spoolhook {

int HostPlatform::LoadStringW(HINSTANCE module, UINT id, char16_t* buffer, int bufferMax) {
  if (module != LibraryModule()) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);  // no other module carries resources
    return 0;
  }
  if (!buffer || bufferMax < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const char16_t* text = FindLibraryString(id);
  if (!text) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return 0;
  }
  const std::size_t length = std::char_traits<char16_t>::length(text);
  // A size of 0 asks for a pointer to the read-only text in place of a copy.
  if (bufferMax == 0) {
    std::memcpy(buffer, &text, sizeof text);
    return static_cast<int>(length);
  }
  const std::size_t copied = std::min(length, static_cast<std::size_t>(bufferMax) - 1);
  std::memcpy(buffer, text, copied * sizeof(char16_t));
  buffer[copied] = u'\0';
  return static_cast<int>(copied);
}

}  // namespace spoolhook
