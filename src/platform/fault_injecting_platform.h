// Makes chosen calls of another platform fail exactly as the real calls report failure (the
// failure result and a last-error code), or makes a WriteFile or ReadFile transfer one byte
// fewer than asked while reporting success. Calls are counted per function name from 1.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forwarding_platform.h"

namespace spoolhook {

class FaultInjectingPlatform : public ForwardingPlatform {
 public:
  explicit FaultInjectingPlatform(Platform& inner) : ForwardingPlatform(inner) {}

  // Whether `call` names a function that can be made to fail / to transfer short.
  static bool CanFail(std::string_view call);
  static bool CanShorten(std::string_view call);
  // The names of every function that can be made to fail.
  static std::vector<std::string_view> FailableCalls();

  // The n-th call of `call` fails; n = 0 makes every call fail. Returns false for a name
  // that CanFail rejects.
  bool FailCall(std::string_view call, unsigned n = 0);
  // The n-th call (n >= 1) of WriteFile or ReadFile transfers one byte fewer.
  bool ShortenCall(std::string_view call, unsigned n);
  // How often `call` has been made through this platform.
  unsigned CallCount(std::string_view call) const;
  // Forgets every rule and count.
  void Reset();

  // Overrides: every failable call (see FailableCalls()).
  void* HeapAlloc(HANDLE heap, DWORD flags, std::size_t bytes) override;
  void* HeapReAlloc(HANDLE heap, DWORD flags, void* block, std::size_t bytes) override;
  BOOL HeapFree(HANDLE heap, DWORD flags, void* block) override;
  HANDLE CreateFileA(const char* name, DWORD access, DWORD share, void* security, DWORD disposition,
                     DWORD flagsAndAttributes, HANDLE templateFile) override;
  HANDLE CreateFileW(const char16_t* name, DWORD access, DWORD share, void* security,
                     DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile) override;
  BOOL ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read, void* overlapped) override;
  BOOL WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* written,
                 void* overlapped) override;
  DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method) override;
  DWORD GetFileSize(HANDLE file, DWORD* sizeHigh) override;
  BOOL CloseHandle(HANDLE handle) override;
  BOOL DeleteFileA(const char* name) override;
  BOOL DeleteFileW(const char16_t* name) override;
  DWORD GetFileAttributesW(const char16_t* name) override;
  DWORD GetTempPathA(DWORD size, char* buffer) override;
  UINT GetTempFileNameA(const char* path, const char* prefix, UINT unique,
                        char* tempFileName) override;
  BOOL GetDiskFreeSpaceW(const char16_t* root, DWORD* sectorsPerCluster, DWORD* bytesPerSector,
                         DWORD* freeClusters, DWORD* totalClusters) override;
  BOOL GetDiskFreeSpaceExW(const char16_t* directory, ULONGLONG* freeToCaller,
                           ULONGLONG* totalBytes, ULONGLONG* totalFreeBytes) override;
  BOOL GetUserNameW(char16_t* buffer, DWORD* size) override;
  BOOL GetComputerNameW(char16_t* buffer, DWORD* size) override;
  LONG RegOpenKeyExW(HKEY key, const char16_t* subKey, DWORD options, REGSAM access,
                     HKEY* result) override;
  LONG RegCloseKey(HKEY key) override;
  int WideCharToMultiByte(UINT codePage, DWORD flags, const char16_t* wide, int wideCount,
                          char* multiByte, int multiByteSize, const char* defaultChar,
                          BOOL* usedDefaultChar) override;
  int MultiByteToWideChar(UINT codePage, DWORD flags, const char* multiByte, int multiByteCount,
                          char16_t* wide, int wideSize) override;
  HMODULE LoadLibraryW(const char16_t* name) override;
  FARPROC GetProcAddress(HMODULE module, const char* name) override;
  BOOL FreeLibrary(HMODULE module) override;
  BOOL DisableThreadLibraryCalls(HMODULE module) override;
  DWORD GetCurrentDirectoryW(DWORD size, char16_t* buffer) override;
  BOOL SetCurrentDirectoryW(const char16_t* path) override;
  int LoadStringW(HINSTANCE module, UINT id, char16_t* buffer, int bufferMax) override;
  BOOL WritePrinter(HANDLE printer, const void* buffer, DWORD count, DWORD* written) override;
  BOOL GetPrinterDriverW(HANDLE printer, const char16_t* environment, DWORD level, BYTE* driverInfo,
                         DWORD size, DWORD* needed) override;
  BOOL GetJobW(HANDLE printer, DWORD jobId, DWORD level, BYTE* job, DWORD size,
               DWORD* needed) override;
  BOOL GetPrinterW(HANDLE printer, DWORD level, BYTE* printerInfo, DWORD size,
                   DWORD* needed) override;

 private:
  enum class Outcome { kPass, kFail, kShort };
  // Counts the call and tells what to do with it.
  Outcome Next(std::string_view call);

  struct Rules {
    unsigned count = 0;
    bool failAll = false;
    std::vector<unsigned> failAt;
    std::vector<unsigned> shortAt;
  };
  mutable std::mutex mutex_;
  std::map<std::string, Rules, std::less<>> rules_;
};

}  // namespace spoolhook
