// Windows paths of the simulated machine and the host folders they stand for: C:\A\B is
// root/C/A/B, \\SERVER\SHARE\A is root/UNC/SERVER/SHARE/A.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

namespace spoolhook {

// A full Windows path: the volume and the folders and name below it, "." and ".." resolved.
struct WindowsPath {
  std::u16string volume;  // "C:" or "\\SERVER\SHARE"
  std::vector<std::u16string> components;
  bool trailingSeparator = false;  // the text ended in a separator after a name

  // The path as Windows spells it: "C:\A\B", "C:\" for a volume's root.
  std::u16string Text() const;
};

// Reads `text` as Windows does: both separators, relative paths against `current`, a path
// that begins with one separator against the root of the current volume, "C:name" against
// the current directory when that lies on drive C. ERROR_SUCCESS, or the error of a path
// that names nothing (ERROR_PATH_NOT_FOUND) or holds a character no name may hold
// (ERROR_INVALID_NAME).
DWORD ParseWindowsPath(std::u16string_view text, const WindowsPath& current, WindowsPath& path);

// The host folder of the path's volume, whether it exists or not.
std::filesystem::path HostVolumeFolder(const std::filesystem::path& root, const WindowsPath& path);

// The host path of `path`: each name that exists in its folder under a different case is
// taken as it exists, the rest as given.
std::filesystem::path HostPathOf(const std::filesystem::path& root, const WindowsPath& path);

}  // namespace spoolhook
