#include "overlay/file_probes.h"

#include "overlay/opened_file.h"
#include "platform/platform.h"

namespace spoolhook {
namespace {

bool IsEmpty(const char* path) { return !path || !path[0]; }

}  // namespace

bool FileIsAbsent(const char* path) {
  if (IsEmpty(path)) return true;
  return !OpenedFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING).IsOpen();
}

bool TryCreateFile(const char* path) {
  if (IsEmpty(path)) return false;
  OpenedFile file(path, GENERIC_WRITE, 0, CREATE_NEW);
  if (!file.IsOpen()) return false;
  file.Close();
  Os().DeleteFileA(path);
  return true;
}

bool DeleteIfPresent(const char* path) {
  if (FileIsAbsent(path)) return true;
  return Os().DeleteFileA(path);
}

}  // namespace spoolhook
