// A simulated Windows machine on the host: drive and network paths mapped under a root
// folder, the process heap, a registry of keys, a clock that can be frozen, the account and
// computer names, the ANSI code page Windows-1252, module loading with dlopen (and a simulated
// network library for pop-ups), and the library's string table.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace spoolhook {

struct HostMachineConfig {
  // Folder that holds the machine's file system: C:\A\B is root/C/A/B (drive letter
  // upper-cased), \\SERVER\SHARE\A is root/UNC/SERVER/SHARE/A.
  std::filesystem::path root;
  // What GetTempPathA returns; its folder is created under the root.
  std::string tempPath = "C:\\TEMP\\";
  // The current directory that relative paths are resolved against.
  std::u16string currentDirectory = u"C:\\";
  std::u16string account = u"SYSTEM";
  std::u16string computer = u"PRINTSRV";
  // Frozen clock for both GetSystemTime and GetLocalTime; none follows the real clock.
  std::optional<SYSTEMTIME> frozenTime;
  WORD osMajor = 6;
  WORD osMinor = 1;
  // Free clusters that the disk-space calls report (8 sectors of 512 bytes a cluster);
  // none measures the host folder.
  std::optional<ULONGLONG> freeClusters;
  // Whether "NETAPI32.Dll" can be loaded.
  bool netapiAvailable = true;
  // Registry keys under HKEY_LOCAL_MACHINE, as full key paths; their parents exist too.
  std::vector<std::u16string> registryKeys;
};

// One message handed to NetMessageBufferSend.
struct Popup {
  std::u16string to;
  std::u16string text;
};

class HostPlatform : public Platform {
 public:
  explicit HostPlatform(HostMachineConfig config);
  ~HostPlatform() override;

  HostPlatform(const HostPlatform&) = delete;
  HostPlatform& operator=(const HostPlatform&) = delete;

  // The module handle under which the library's own string table is served.
  static HMODULE LibraryModule();

  const HostMachineConfig& config() const;
  // The host path that a Windows path maps to (relative paths against the current
  // directory); empty for a path that maps nowhere (no drive, no share, a bad name).
  std::filesystem::path MapPath(std::u16string_view windowsPath) const;
  // Every pop-up sent so far, and a hook that sees each one as it is sent.
  std::vector<Popup> popups() const;
  void OnPopup(std::function<void(const Popup&)> hook);
  // Handles and heap blocks that are still open; a finished job leaves none.
  std::size_t OpenHandleCount() const;
  std::size_t HeapBlockCount() const;

  DWORD GetLastError() override;
  void SetLastError(DWORD error) override;
  HANDLE GetProcessHeap() override;
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
  void GetSystemTime(SYSTEMTIME* time) override;
  void GetLocalTime(SYSTEMTIME* time) override;
  DWORD GetVersion() override;
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
  UINT GetACP() override;
  HMODULE LoadLibraryW(const char16_t* name) override;
  FARPROC GetProcAddress(HMODULE module, const char* name) override;
  BOOL FreeLibrary(HMODULE module) override;
  BOOL DisableThreadLibraryCalls(HMODULE module) override;
  DWORD GetCurrentDirectoryW(DWORD size, char16_t* buffer) override;
  BOOL SetCurrentDirectoryW(const char16_t* path) override;
  int LoadStringW(HINSTANCE module, UINT id, char16_t* buffer, int bufferMax) override;
  // The host has no spooler of its own: these fail with ERROR_INVALID_HANDLE. The simulated
  // spooler (SimulatedSpoolerPlatform) stands in front of this platform for them.
  BOOL WritePrinter(HANDLE printer, const void* buffer, DWORD count, DWORD* written) override;
  BOOL GetPrinterDriverW(HANDLE printer, const char16_t* environment, DWORD level, BYTE* driverInfo,
                         DWORD size, DWORD* needed) override;
  BOOL GetJobW(HANDLE printer, DWORD jobId, DWORD level, BYTE* job, DWORD size,
               DWORD* needed) override;
  BOOL GetPrinterW(HANDLE printer, DWORD level, BYTE* printerInfo, DWORD size,
                   DWORD* needed) override;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace spoolhook
