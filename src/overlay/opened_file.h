// A file the overlay operations open for the length of one operation: closed again when it
// goes out of scope, on every path.
#pragma once

#include "platform/win_types.h"

namespace spoolhook {

class OpenedFile {
 public:
  // Opens `path` (none opens nothing) with normal attributes.
  OpenedFile(const char* path, DWORD access, DWORD share, DWORD disposition);
  ~OpenedFile() { Close(); }
  OpenedFile(const OpenedFile&) = delete;
  OpenedFile& operator=(const OpenedFile&) = delete;

  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
  // Exactly `count` bytes; false on a failure or a short transfer.
  bool ReadWhole(void* buffer, DWORD count);
  bool WriteWhole(const void* buffer, DWORD count);
  // Up to `count` bytes; `*read` says how many arrived (0 at the end of the file).
  bool ReadSome(void* buffer, DWORD count, DWORD* read);
  // Moves to `distance` from `method`'s origin; false when the position cannot be had.
  bool Seek(LONG distance, DWORD method, DWORD* position = nullptr);
  // Fails when the size cannot be had.
  bool Size(DWORD* size);
  bool Close();

 private:
  HANDLE handle_;
};

}  // namespace spoolhook
