// The Windows build's platform: every call goes straight to the system call of the same name.
#include "platform/platform.h"
#include "platform/win32/win32_api.h"

namespace spoolhook {
namespace {

class Win32Platform final : public Platform {
 public:
  DWORD GetLastError() override { return win32::GetLastError(); }
  void SetLastError(DWORD error) override { win32::SetLastError(error); }
  HANDLE GetProcessHeap() override { return win32::GetProcessHeap(); }
  void* HeapAlloc(HANDLE heap, DWORD flags, std::size_t bytes) override {
    return win32::HeapAlloc(heap, flags, bytes);
  }
  void* HeapReAlloc(HANDLE heap, DWORD flags, void* block, std::size_t bytes) override {
    return win32::HeapReAlloc(heap, flags, block, bytes);
  }
  BOOL HeapFree(HANDLE heap, DWORD flags, void* block) override {
    return win32::HeapFree(heap, flags, block);
  }
  HANDLE CreateFileA(const char* name, DWORD access, DWORD share, void* security, DWORD disposition,
                     DWORD flagsAndAttributes, HANDLE templateFile) override {
    return win32::CreateFileA(name, access, share, security, disposition, flagsAndAttributes,
                              templateFile);
  }
  HANDLE CreateFileW(const char16_t* name, DWORD access, DWORD share, void* security,
                     DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile) override {
    return win32::CreateFileW(name, access, share, security, disposition, flagsAndAttributes,
                              templateFile);
  }
  BOOL ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read, void* overlapped) override {
    return win32::ReadFile(file, buffer, toRead, read, overlapped);
  }
  BOOL WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* written,
                 void* overlapped) override {
    return win32::WriteFile(file, buffer, toWrite, written, overlapped);
  }
  DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method) override {
    return win32::SetFilePointer(file, distance, distanceHigh, method);
  }
  DWORD GetFileSize(HANDLE file, DWORD* sizeHigh) override {
    return win32::GetFileSize(file, sizeHigh);
  }
  BOOL CloseHandle(HANDLE handle) override { return win32::CloseHandle(handle); }
  BOOL DeleteFileA(const char* name) override { return win32::DeleteFileA(name); }
  BOOL DeleteFileW(const char16_t* name) override { return win32::DeleteFileW(name); }
  DWORD GetFileAttributesW(const char16_t* name) override {
    return win32::GetFileAttributesW(name);
  }
  DWORD GetTempPathA(DWORD size, char* buffer) override {
    return win32::GetTempPathA(size, buffer);
  }
  UINT GetTempFileNameA(const char* path, const char* prefix, UINT unique,
                        char* tempFileName) override {
    return win32::GetTempFileNameA(path, prefix, unique, tempFileName);
  }
  BOOL GetDiskFreeSpaceW(const char16_t* root, DWORD* sectorsPerCluster, DWORD* bytesPerSector,
                         DWORD* freeClusters, DWORD* totalClusters) override {
    return win32::GetDiskFreeSpaceW(root, sectorsPerCluster, bytesPerSector, freeClusters,
                                    totalClusters);
  }
  BOOL GetDiskFreeSpaceExW(const char16_t* directory, ULONGLONG* freeToCaller,
                           ULONGLONG* totalBytes, ULONGLONG* totalFreeBytes) override {
    return win32::GetDiskFreeSpaceExW(directory, freeToCaller, totalBytes, totalFreeBytes);
  }
  void GetSystemTime(SYSTEMTIME* time) override { win32::GetSystemTime(time); }
  void GetLocalTime(SYSTEMTIME* time) override { win32::GetLocalTime(time); }
  DWORD GetVersion() override { return win32::GetVersion(); }
  BOOL GetUserNameW(char16_t* buffer, DWORD* size) override {
    return win32::GetUserNameW(buffer, size);
  }
  BOOL GetComputerNameW(char16_t* buffer, DWORD* size) override {
    return win32::GetComputerNameW(buffer, size);
  }
  LONG RegOpenKeyExW(HKEY key, const char16_t* subKey, DWORD options, REGSAM access,
                     HKEY* result) override {
    return win32::RegOpenKeyExW(key, subKey, options, access, result);
  }
  LONG RegCloseKey(HKEY key) override { return win32::RegCloseKey(key); }
  int WideCharToMultiByte(UINT codePage, DWORD flags, const char16_t* wide, int wideCount,
                          char* multiByte, int multiByteSize, const char* defaultChar,
                          BOOL* usedDefaultChar) override {
    return win32::WideCharToMultiByte(codePage, flags, wide, wideCount, multiByte, multiByteSize,
                                      defaultChar, usedDefaultChar);
  }
  int MultiByteToWideChar(UINT codePage, DWORD flags, const char* multiByte, int multiByteCount,
                          char16_t* wide, int wideSize) override {
    return win32::MultiByteToWideChar(codePage, flags, multiByte, multiByteCount, wide, wideSize);
  }
  UINT GetACP() override { return win32::GetACP(); }
  HMODULE LoadLibraryW(const char16_t* name) override { return win32::LoadLibraryW(name); }
  FARPROC GetProcAddress(HMODULE module, const char* name) override {
    return win32::GetProcAddress(module, name);
  }
  BOOL FreeLibrary(HMODULE module) override { return win32::FreeLibrary(module); }
  BOOL DisableThreadLibraryCalls(HMODULE module) override {
    return win32::DisableThreadLibraryCalls(module);
  }
  DWORD GetCurrentDirectoryW(DWORD size, char16_t* buffer) override {
    return win32::GetCurrentDirectoryW(size, buffer);
  }
  BOOL SetCurrentDirectoryW(const char16_t* path) override {
    return win32::SetCurrentDirectoryW(path);
  }
  int LoadStringW(HINSTANCE module, UINT id, char16_t* buffer, int bufferMax) override {
    return win32::LoadStringW(module, id, buffer, bufferMax);
  }
  BOOL WritePrinter(HANDLE printer, const void* buffer, DWORD count, DWORD* written) override {
    return win32::WritePrinter(printer, buffer, count, written);
  }
  BOOL GetPrinterDriverW(HANDLE printer, const char16_t* environment, DWORD level, BYTE* driverInfo,
                         DWORD size, DWORD* needed) override {
    return win32::GetPrinterDriverW(printer, environment, level, driverInfo, size, needed);
  }
  BOOL GetJobW(HANDLE printer, DWORD jobId, DWORD level, BYTE* job, DWORD size,
               DWORD* needed) override {
    return win32::GetJobW(printer, jobId, level, job, size, needed);
  }
  BOOL GetPrinterW(HANDLE printer, DWORD level, BYTE* printerInfo, DWORD size,
                   DWORD* needed) override {
    return win32::GetPrinterW(printer, level, printerInfo, size, needed);
  }
};

}  // namespace

Platform& BuiltInPlatform() {
  static Win32Platform platform;
  return platform;
}

}  // namespace spoolhook
