// The seam between the library and the operating system: every OS and spooler call the
// library makes goes through one Platform, named and behaving as the Win32 call of the same
// name. Win32Platform forwards to the real API; HostPlatform simulates a Windows machine on
// Linux; ForwardingPlatform and its subclasses (the simulated spooler, fault injection) wrap
// another platform.
#pragma once

#include "platform/win_types.h"

namespace spoolhook {

class Platform {
 public:
  virtual ~Platform() = default;

  // Errors: the calling thread's last-error value.
  virtual DWORD GetLastError() = 0;
  virtual void SetLastError(DWORD error) = 0;

  // Heap.
  virtual HANDLE GetProcessHeap() = 0;
  virtual void* HeapAlloc(HANDLE heap, DWORD flags, std::size_t bytes) = 0;
  virtual void* HeapReAlloc(HANDLE heap, DWORD flags, void* block, std::size_t bytes) = 0;
  virtual BOOL HeapFree(HANDLE heap, DWORD flags, void* block) = 0;

  // Files.
  virtual HANDLE CreateFileA(const char* name, DWORD access, DWORD share, void* security,
                             DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile) = 0;
  virtual HANDLE CreateFileW(const char16_t* name, DWORD access, DWORD share, void* security,
                             DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile) = 0;
  virtual BOOL ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read, void* overlapped) = 0;
  virtual BOOL WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* written,
                         void* overlapped) = 0;
  virtual DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method) = 0;
  virtual DWORD GetFileSize(HANDLE file, DWORD* sizeHigh) = 0;
  virtual BOOL CloseHandle(HANDLE handle) = 0;
  virtual BOOL DeleteFileA(const char* name) = 0;
  virtual BOOL DeleteFileW(const char16_t* name) = 0;
  virtual DWORD GetFileAttributesW(const char16_t* name) = 0;
  virtual DWORD GetTempPathA(DWORD size, char* buffer) = 0;
  virtual UINT GetTempFileNameA(const char* path, const char* prefix, UINT unique,
                                char* tempFileName) = 0;
  virtual BOOL GetDiskFreeSpaceW(const char16_t* root, DWORD* sectorsPerCluster,
                                 DWORD* bytesPerSector, DWORD* freeClusters,
                                 DWORD* totalClusters) = 0;
  virtual BOOL GetDiskFreeSpaceExW(const char16_t* directory, ULONGLONG* freeToCaller,
                                   ULONGLONG* totalBytes, ULONGLONG* totalFreeBytes) = 0;

  // Time and version.
  virtual void GetSystemTime(SYSTEMTIME* time) = 0;
  virtual void GetLocalTime(SYSTEMTIME* time) = 0;
  virtual DWORD GetVersion() = 0;

  // Names. `size` is in UTF-16 units, the terminator included (GetUserNameW) or excluded on
  // return (GetComputerNameW), as the real calls count.
  virtual BOOL GetUserNameW(char16_t* buffer, DWORD* size) = 0;
  virtual BOOL GetComputerNameW(char16_t* buffer, DWORD* size) = 0;

  // Registry: results are error codes, ERROR_SUCCESS on success.
  virtual LONG RegOpenKeyExW(HKEY key, const char16_t* subKey, DWORD options, REGSAM access,
                             HKEY* result) = 0;
  virtual LONG RegCloseKey(HKEY key) = 0;

  // Code pages.
  virtual int WideCharToMultiByte(UINT codePage, DWORD flags, const char16_t* wide, int wideCount,
                                  char* multiByte, int multiByteSize, const char* defaultChar,
                                  BOOL* usedDefaultChar) = 0;
  virtual int MultiByteToWideChar(UINT codePage, DWORD flags, const char* multiByte,
                                  int multiByteCount, char16_t* wide, int wideSize) = 0;
  virtual UINT GetACP() = 0;

  // Modules and the current directory.
  virtual HMODULE LoadLibraryW(const char16_t* name) = 0;
  virtual FARPROC GetProcAddress(HMODULE module, const char* name) = 0;
  virtual BOOL FreeLibrary(HMODULE module) = 0;
  virtual BOOL DisableThreadLibraryCalls(HMODULE module) = 0;
  virtual DWORD GetCurrentDirectoryW(DWORD size, char16_t* buffer) = 0;
  virtual BOOL SetCurrentDirectoryW(const char16_t* path) = 0;

  // The string table of a module.
  virtual int LoadStringW(HINSTANCE module, UINT id, char16_t* buffer, int bufferMax) = 0;

  // The print spooler.
  virtual BOOL WritePrinter(HANDLE printer, const void* buffer, DWORD count, DWORD* written) = 0;
  virtual BOOL GetPrinterDriverW(HANDLE printer, const char16_t* environment, DWORD level,
                                 BYTE* driverInfo, DWORD size, DWORD* needed) = 0;
  virtual BOOL GetJobW(HANDLE printer, DWORD jobId, DWORD level, BYTE* job, DWORD size,
                       DWORD* needed) = 0;
  virtual BOOL GetPrinterW(HANDLE printer, DWORD level, BYTE* printerInfo, DWORD size,
                           DWORD* needed) = 0;
};

// The module handle under which the host platform serves the library's own string table (on
// the host nothing loads the library as a module that could carry resources).
constexpr std::uintptr_t kHostLibraryModule = 0x53480000;

// The platform the library calls. It starts as the platform the library was built for (the
// real Win32 API on Windows, a default simulated machine on the host); tests and the player
// install their own. Installing is not thread-safe: do it while no job runs.
Platform& Os();

// Installs `platform` (none restores the built-in one) and returns the one it replaces.
Platform* SetPlatform(Platform* platform);

// The platform the library was built for.
Platform& BuiltInPlatform();

}  // namespace spoolhook
