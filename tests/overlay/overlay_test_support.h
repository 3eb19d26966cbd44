// What the overlay tests share: overlay files written by hand, and a check that no one holds
// a file open any more.
#pragma once

#include <string>

#include "support/test_machine.h"

namespace spoolhook::testing {

// A 387-byte header with the given data offset and signature, every other byte a pattern
// that shows any byte the library changes; `formData` behind it.
inline std::string OverlayFile(const std::string& formData = "FORM DATA",
                               const std::string& signature = std::string("Mirak\0", 6),
                               std::uint32_t dataOffset = 387) {
  std::string file(387, '\0');
  for (std::size_t i = 0; i < file.size(); ++i) file[i] = static_cast<char>(0x80 | (i * 7 % 128));
  for (int i = 0; i < 4; ++i) file[i] = static_cast<char>(dataOffset >> (8 * i));
  file.replace(8, signature.size(), signature);
  return file + formData;
}

// True when the file can be opened unshared: no handle is left on it.
inline bool NobodyHolds(TestMachine& machine, const std::string& path) {
  HANDLE file = machine.base().CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  machine.base().CloseHandle(file);
  return true;
}

}  // namespace spoolhook::testing
