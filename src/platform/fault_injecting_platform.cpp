#include "platform/fault_injecting_platform.h"

#include <algorithm>

namespace spoolhook {
namespace {

struct FailableCall {
  std::string_view name;
  bool shortenable;  // a transfer that can be made one byte short
};

// Every call this platform overrides.
constexpr FailableCall kFailableCalls[] = {
    {"HeapAlloc", false},
    {"HeapReAlloc", false},
    {"HeapFree", false},
    {"CreateFileA", false},
    {"CreateFileW", false},
    {"ReadFile", true},
    {"WriteFile", true},
    {"SetFilePointer", false},
    {"GetFileSize", false},
    {"CloseHandle", false},
    {"DeleteFileA", false},
    {"DeleteFileW", false},
    {"GetFileAttributesW", false},
    {"GetTempPathA", false},
    {"GetTempFileNameA", false},
    {"GetDiskFreeSpaceW", false},
    {"GetDiskFreeSpaceExW", false},
    {"GetUserNameW", false},
    {"GetComputerNameW", false},
    {"RegOpenKeyExW", false},
    {"RegCloseKey", false},
    {"WideCharToMultiByte", false},
    {"MultiByteToWideChar", false},
    {"LoadLibraryW", false},
    {"GetProcAddress", false},
    {"FreeLibrary", false},
    {"DisableThreadLibraryCalls", false},
    {"GetCurrentDirectoryW", false},
    {"SetCurrentDirectoryW", false},
    {"LoadStringW", false},
    {"WritePrinter", false},
    {"GetPrinterDriverW", false},
    {"GetJobW", false},
    {"GetPrinterW", false},
};

const FailableCall* FindCall(std::string_view call) {
  const auto found = std::find_if(std::begin(kFailableCalls), std::end(kFailableCalls),
                                  [call](const FailableCall& entry) { return entry.name == call; });
  return found == std::end(kFailableCalls) ? nullptr : found;
}

// A failure as the real call reports it: the last error set below us, the failure result.
template <class Result>
Result Failed(Platform& os, Result result, DWORD error) {
  os.SetLastError(error);
  return result;
}

// Zeroes the out-value that the real call zeroes when it fails; gives back `result`.
template <class Result, class Out>
Result Cleared(Out* out, Result result) {
  if (out) *out = Out{};
  return result;
}

// A short transfer asks for one byte fewer; nothing to shorten in a 0-byte request.
DWORD Transferred(bool shorten, DWORD count) { return shorten && count > 0 ? count - 1 : count; }

}  // namespace

bool FaultInjectingPlatform::CanFail(std::string_view call) { return FindCall(call) != nullptr; }

bool FaultInjectingPlatform::CanShorten(std::string_view call) {
  const FailableCall* entry = FindCall(call);
  return entry && entry->shortenable;
}

std::vector<std::string_view> FaultInjectingPlatform::FailableCalls() {
  std::vector<std::string_view> names;
  for (const FailableCall& entry : kFailableCalls) names.push_back(entry.name);
  return names;
}

bool FaultInjectingPlatform::FailCall(std::string_view call, unsigned n) {
  if (!CanFail(call)) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  Rules& rules = rules_[std::string(call)];
  if (n == 0) {
    rules.failAll = true;
  } else {
    rules.failAt.push_back(n);
  }
  return true;
}

bool FaultInjectingPlatform::ShortenCall(std::string_view call, unsigned n) {
  if (!CanShorten(call) || n == 0) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  rules_[std::string(call)].shortAt.push_back(n);
  return true;
}

unsigned FaultInjectingPlatform::CallCount(std::string_view call) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = rules_.find(call);
  return found == rules_.end() ? 0 : found->second.count;
}

void FaultInjectingPlatform::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  rules_.clear();
}

FaultInjectingPlatform::Outcome FaultInjectingPlatform::Next(std::string_view call) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = rules_.find(call);
  if (found == rules_.end()) found = rules_.emplace(std::string(call), Rules{}).first;
  Rules& rules = found->second;
  const unsigned n = ++rules.count;
  const auto listed = [n](const std::vector<unsigned>& at) {
    return std::find(at.begin(), at.end(), n) != at.end();
  };
  if (rules.failAll || listed(rules.failAt)) return Outcome::kFail;
  return listed(rules.shortAt) ? Outcome::kShort : Outcome::kPass;
}

void* FaultInjectingPlatform::HeapAlloc(HANDLE heap, DWORD flags, std::size_t bytes) {
  if (Next("HeapAlloc") == Outcome::kFail) return Failed(inner(), nullptr, ERROR_NOT_ENOUGH_MEMORY);
  return ForwardingPlatform::HeapAlloc(heap, flags, bytes);
}

void* FaultInjectingPlatform::HeapReAlloc(HANDLE heap, DWORD flags, void* block,
                                          std::size_t bytes) {
  if (Next("HeapReAlloc") == Outcome::kFail) {
    return Failed(inner(), nullptr, ERROR_NOT_ENOUGH_MEMORY);
  }
  return ForwardingPlatform::HeapReAlloc(heap, flags, block, bytes);
}

BOOL FaultInjectingPlatform::HeapFree(HANDLE heap, DWORD flags, void* block) {
  if (Next("HeapFree") == Outcome::kFail) return Failed(inner(), FALSE, ERROR_INVALID_PARAMETER);
  return ForwardingPlatform::HeapFree(heap, flags, block);
}

HANDLE FaultInjectingPlatform::CreateFileA(const char* name, DWORD access, DWORD share,
                                           void* security, DWORD disposition,
                                           DWORD flagsAndAttributes, HANDLE templateFile) {
  if (Next("CreateFileA") == Outcome::kFail) {
    return Failed(inner(), INVALID_HANDLE_VALUE, ERROR_ACCESS_DENIED);
  }
  return ForwardingPlatform::CreateFileA(name, access, share, security, disposition,
                                         flagsAndAttributes, templateFile);
}

HANDLE FaultInjectingPlatform::CreateFileW(const char16_t* name, DWORD access, DWORD share,
                                           void* security, DWORD disposition,
                                           DWORD flagsAndAttributes, HANDLE templateFile) {
  if (Next("CreateFileW") == Outcome::kFail) {
    return Failed(inner(), INVALID_HANDLE_VALUE, ERROR_ACCESS_DENIED);
  }
  return ForwardingPlatform::CreateFileW(name, access, share, security, disposition,
                                         flagsAndAttributes, templateFile);
}

BOOL FaultInjectingPlatform::ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read,
                                      void* overlapped) {
  const Outcome outcome = Next("ReadFile");
  if (outcome == Outcome::kFail) return Failed(inner(), Cleared(read, FALSE), ERROR_READ_FAULT);
  return ForwardingPlatform::ReadFile(file, buffer, Transferred(outcome == Outcome::kShort, toRead),
                                      read, overlapped);
}

BOOL FaultInjectingPlatform::WriteFile(HANDLE file, const void* buffer, DWORD toWrite,
                                       DWORD* written, void* overlapped) {
  const Outcome outcome = Next("WriteFile");
  if (outcome == Outcome::kFail) return Failed(inner(), Cleared(written, FALSE), ERROR_DISK_FULL);
  return ForwardingPlatform::WriteFile(
      file, buffer, Transferred(outcome == Outcome::kShort, toWrite), written, overlapped);
}

DWORD FaultInjectingPlatform::SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh,
                                             DWORD method) {
  if (Next("SetFilePointer") == Outcome::kFail) {
    return Failed(inner(), INVALID_SET_FILE_POINTER, ERROR_INVALID_HANDLE);
  }
  return ForwardingPlatform::SetFilePointer(file, distance, distanceHigh, method);
}

DWORD FaultInjectingPlatform::GetFileSize(HANDLE file, DWORD* sizeHigh) {
  if (Next("GetFileSize") == Outcome::kFail) {
    return Failed(inner(), INVALID_FILE_SIZE, ERROR_INVALID_HANDLE);
  }
  return ForwardingPlatform::GetFileSize(file, sizeHigh);
}

BOOL FaultInjectingPlatform::CloseHandle(HANDLE handle) {
  if (Next("CloseHandle") == Outcome::kFail) return Failed(inner(), FALSE, ERROR_INVALID_HANDLE);
  return ForwardingPlatform::CloseHandle(handle);
}

BOOL FaultInjectingPlatform::DeleteFileA(const char* name) {
  if (Next("DeleteFileA") == Outcome::kFail) return Failed(inner(), FALSE, ERROR_ACCESS_DENIED);
  return ForwardingPlatform::DeleteFileA(name);
}

BOOL FaultInjectingPlatform::DeleteFileW(const char16_t* name) {
  if (Next("DeleteFileW") == Outcome::kFail) return Failed(inner(), FALSE, ERROR_ACCESS_DENIED);
  return ForwardingPlatform::DeleteFileW(name);
}

DWORD FaultInjectingPlatform::GetFileAttributesW(const char16_t* name) {
  if (Next("GetFileAttributesW") == Outcome::kFail) {
    return Failed(inner(), INVALID_FILE_ATTRIBUTES, ERROR_FILE_NOT_FOUND);
  }
  return ForwardingPlatform::GetFileAttributesW(name);
}

DWORD FaultInjectingPlatform::GetTempPathA(DWORD size, char* buffer) {
  if (Next("GetTempPathA") == Outcome::kFail) return Failed(inner(), 0u, ERROR_PATH_NOT_FOUND);
  return ForwardingPlatform::GetTempPathA(size, buffer);
}

UINT FaultInjectingPlatform::GetTempFileNameA(const char* path, const char* prefix, UINT unique,
                                              char* tempFileName) {
  if (Next("GetTempFileNameA") == Outcome::kFail) {
    return Failed(inner(), 0u, ERROR_ACCESS_DENIED);
  }
  return ForwardingPlatform::GetTempFileNameA(path, prefix, unique, tempFileName);
}

BOOL FaultInjectingPlatform::GetDiskFreeSpaceW(const char16_t* root, DWORD* sectorsPerCluster,
                                               DWORD* bytesPerSector, DWORD* freeClusters,
                                               DWORD* totalClusters) {
  if (Next("GetDiskFreeSpaceW") == Outcome::kFail) {
    return Failed(inner(), FALSE, ERROR_PATH_NOT_FOUND);
  }
  return ForwardingPlatform::GetDiskFreeSpaceW(root, sectorsPerCluster, bytesPerSector,
                                               freeClusters, totalClusters);
}

BOOL FaultInjectingPlatform::GetDiskFreeSpaceExW(const char16_t* directory, ULONGLONG* freeToCaller,
                                                 ULONGLONG* totalBytes, ULONGLONG* totalFreeBytes) {
  if (Next("GetDiskFreeSpaceExW") == Outcome::kFail) {
    return Failed(inner(), FALSE, ERROR_PATH_NOT_FOUND);
  }
  return ForwardingPlatform::GetDiskFreeSpaceExW(directory, freeToCaller, totalBytes,
                                                 totalFreeBytes);
}

BOOL FaultInjectingPlatform::GetUserNameW(char16_t* buffer, DWORD* size) {
  if (Next("GetUserNameW") == Outcome::kFail) return Failed(inner(), FALSE, ERROR_ACCESS_DENIED);
  return ForwardingPlatform::GetUserNameW(buffer, size);
}

BOOL FaultInjectingPlatform::GetComputerNameW(char16_t* buffer, DWORD* size) {
  if (Next("GetComputerNameW") == Outcome::kFail) {
    return Failed(inner(), FALSE, ERROR_ACCESS_DENIED);
  }
  return ForwardingPlatform::GetComputerNameW(buffer, size);
}

// The registry reports its failures as the result, not through the last error.
LONG FaultInjectingPlatform::RegOpenKeyExW(HKEY key, const char16_t* subKey, DWORD options,
                                           REGSAM access, HKEY* result) {
  if (Next("RegOpenKeyExW") == Outcome::kFail) {
    return Cleared(result, static_cast<LONG>(ERROR_FILE_NOT_FOUND));
  }
  return ForwardingPlatform::RegOpenKeyExW(key, subKey, options, access, result);
}

LONG FaultInjectingPlatform::RegCloseKey(HKEY key) {
  if (Next("RegCloseKey") == Outcome::kFail) return static_cast<LONG>(ERROR_INVALID_HANDLE);
  return ForwardingPlatform::RegCloseKey(key);
}

int FaultInjectingPlatform::WideCharToMultiByte(UINT codePage, DWORD flags, const char16_t* wide,
                                                int wideCount, char* multiByte, int multiByteSize,
                                                const char* defaultChar, BOOL* usedDefaultChar) {
  if (Next("WideCharToMultiByte") == Outcome::kFail) {
    return Failed(inner(), 0, ERROR_INVALID_PARAMETER);
  }
  return ForwardingPlatform::WideCharToMultiByte(codePage, flags, wide, wideCount, multiByte,
                                                 multiByteSize, defaultChar, usedDefaultChar);
}

int FaultInjectingPlatform::MultiByteToWideChar(UINT codePage, DWORD flags, const char* multiByte,
                                                int multiByteCount, char16_t* wide, int wideSize) {
  if (Next("MultiByteToWideChar") == Outcome::kFail) {
    return Failed(inner(), 0, ERROR_INVALID_PARAMETER);
  }
  return ForwardingPlatform::MultiByteToWideChar(codePage, flags, multiByte, multiByteCount, wide,
                                                 wideSize);
}

HMODULE FaultInjectingPlatform::LoadLibraryW(const char16_t* name) {
  if (Next("LoadLibraryW") == Outcome::kFail) return Failed(inner(), nullptr, ERROR_MOD_NOT_FOUND);
  return ForwardingPlatform::LoadLibraryW(name);
}

FARPROC FaultInjectingPlatform::GetProcAddress(HMODULE module, const char* name) {
  if (Next("GetProcAddress") == Outcome::kFail) {
    return Failed(inner(), nullptr, ERROR_PROC_NOT_FOUND);
  }
  return ForwardingPlatform::GetProcAddress(module, name);
}

BOOL FaultInjectingPlatform::FreeLibrary(HMODULE module) {
  if (Next("FreeLibrary") == Outcome::kFail) return Failed(inner(), FALSE, ERROR_INVALID_HANDLE);
  return ForwardingPlatform::FreeLibrary(module);
}

BOOL FaultInjectingPlatform::DisableThreadLibraryCalls(HMODULE module) {
  if (Next("DisableThreadLibraryCalls") == Outcome::kFail) {
    return Failed(inner(), FALSE, ERROR_INVALID_HANDLE);
  }
  return ForwardingPlatform::DisableThreadLibraryCalls(module);
}

DWORD FaultInjectingPlatform::GetCurrentDirectoryW(DWORD size, char16_t* buffer) {
  if (Next("GetCurrentDirectoryW") == Outcome::kFail) {
    return Failed(inner(), 0u, ERROR_ACCESS_DENIED);
  }
  return ForwardingPlatform::GetCurrentDirectoryW(size, buffer);
}

BOOL FaultInjectingPlatform::SetCurrentDirectoryW(const char16_t* path) {
  if (Next("SetCurrentDirectoryW") == Outcome::kFail) {
    return Failed(inner(), FALSE, ERROR_PATH_NOT_FOUND);
  }
  return ForwardingPlatform::SetCurrentDirectoryW(path);
}

int FaultInjectingPlatform::LoadStringW(HINSTANCE module, UINT id, char16_t* buffer,
                                        int bufferMax) {
  if (Next("LoadStringW") == Outcome::kFail) {
    return Failed(inner(), 0, ERROR_RESOURCE_NAME_NOT_FOUND);
  }
  return ForwardingPlatform::LoadStringW(module, id, buffer, bufferMax);
}

BOOL FaultInjectingPlatform::WritePrinter(HANDLE printer, const void* buffer, DWORD count,
                                          DWORD* written) {
  if (Next("WritePrinter") == Outcome::kFail) {
    return Failed(inner(), Cleared(written, FALSE), ERROR_WRITE_FAULT);
  }
  return ForwardingPlatform::WritePrinter(printer, buffer, count, written);
}

BOOL FaultInjectingPlatform::GetPrinterDriverW(HANDLE printer, const char16_t* environment,
                                               DWORD level, BYTE* driverInfo, DWORD size,
                                               DWORD* needed) {
  if (Next("GetPrinterDriverW") == Outcome::kFail) {
    return Failed(inner(), FALSE, ERROR_INVALID_HANDLE);
  }
  return ForwardingPlatform::GetPrinterDriverW(printer, environment, level, driverInfo, size,
                                               needed);
}

BOOL FaultInjectingPlatform::GetJobW(HANDLE printer, DWORD jobId, DWORD level, BYTE* job,
                                     DWORD size, DWORD* needed) {
  if (Next("GetJobW") == Outcome::kFail) return Failed(inner(), FALSE, ERROR_INVALID_HANDLE);
  return ForwardingPlatform::GetJobW(printer, jobId, level, job, size, needed);
}

BOOL FaultInjectingPlatform::GetPrinterW(HANDLE printer, DWORD level, BYTE* printerInfo, DWORD size,
                                         DWORD* needed) {
  if (Next("GetPrinterW") == Outcome::kFail) return Failed(inner(), FALSE, ERROR_INVALID_HANDLE);
  return ForwardingPlatform::GetPrinterW(printer, level, printerInfo, size, needed);
}

}  // namespace spoolhook
