#include "overlay/opened_file.h"

#include "platform/platform.h"

namespace spoolhook {

OpenedFile::OpenedFile(const char* path, DWORD access, DWORD share, DWORD disposition)
    : handle_(path ? Os().CreateFileA(path, access, share, nullptr, disposition,
                                      FILE_ATTRIBUTE_NORMAL, nullptr)
                   : INVALID_HANDLE_VALUE) {}

bool OpenedFile::ReadWhole(void* buffer, DWORD count) {
  DWORD read = 0;
  return ReadSome(buffer, count, &read) && read == count;
}

bool OpenedFile::ReadSome(void* buffer, DWORD count, DWORD* read) {
  *read = 0;
  return IsOpen() && Os().ReadFile(handle_, buffer, count, read, nullptr);
}

bool OpenedFile::WriteWhole(const void* buffer, DWORD count) {
  DWORD written = 0;
  return IsOpen() && Os().WriteFile(handle_, buffer, count, &written, nullptr) && written == count;
}

bool OpenedFile::Seek(LONG distance, DWORD method, DWORD* position) {
  if (!IsOpen()) return false;
  const DWORD reached = Os().SetFilePointer(handle_, distance, nullptr, method);
  if (reached == INVALID_SET_FILE_POINTER) return false;
  if (position) *position = reached;
  return true;
}

bool OpenedFile::Size(DWORD* size) {
  if (!IsOpen()) return false;
  *size = Os().GetFileSize(handle_, nullptr);
  return *size != INVALID_FILE_SIZE;
}

bool OpenedFile::Close() {
  if (!IsOpen()) return true;
  const bool closed = Os().CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
  return closed;
}

}  // namespace spoolhook
