// A platform that passes every call to another one; wrappers override the calls they change.
#pragma once

#include "platform/platform.h"

namespace spoolhook {

class ForwardingPlatform : public Platform {
 public:
  explicit ForwardingPlatform(Platform& inner) : inner_(inner) {}

  Platform& inner() { return inner_; }

  DWORD GetLastError() override { return inner_.GetLastError(); }
  void SetLastError(DWORD error) override { inner_.SetLastError(error); }
  HANDLE GetProcessHeap() override { return inner_.GetProcessHeap(); }
  void* HeapAlloc(HANDLE heap, DWORD flags, std::size_t bytes) override {
    return inner_.HeapAlloc(heap, flags, bytes);
  }
  void* HeapReAlloc(HANDLE heap, DWORD flags, void* block, std::size_t bytes) override {
    return inner_.HeapReAlloc(heap, flags, block, bytes);
  }
  BOOL HeapFree(HANDLE heap, DWORD flags, void* block) override {
    return inner_.HeapFree(heap, flags, block);
  }
  HANDLE CreateFileA(const char* name, DWORD access, DWORD share, void* security, DWORD disposition,
                     DWORD flagsAndAttributes, HANDLE templateFile) override {
    return inner_.CreateFileA(name, access, share, security, disposition, flagsAndAttributes,
                              templateFile);
  }
  HANDLE CreateFileW(const char16_t* name, DWORD access, DWORD share, void* security,
                     DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile) override {
    return inner_.CreateFileW(name, access, share, security, disposition, flagsAndAttributes,
                              templateFile);
  }
  BOOL ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read, void* overlapped) override {
    return inner_.ReadFile(file, buffer, toRead, read, overlapped);
  }
  BOOL WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* written,
                 void* overlapped) override {
    return inner_.WriteFile(file, buffer, toWrite, written, overlapped);
  }
  DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method) override {
    return inner_.SetFilePointer(file, distance, distanceHigh, method);
  }
  DWORD GetFileSize(HANDLE file, DWORD* sizeHigh) override {
    return inner_.GetFileSize(file, sizeHigh);
  }
  BOOL CloseHandle(HANDLE handle) override { return inner_.CloseHandle(handle); }
  BOOL DeleteFileA(const char* name) override { return inner_.DeleteFileA(name); }
  BOOL DeleteFileW(const char16_t* name) override { return inner_.DeleteFileW(name); }
  DWORD GetFileAttributesW(const char16_t* name) override {
    return inner_.GetFileAttributesW(name);
  }
  DWORD GetTempPathA(DWORD size, char* buffer) override {
    return inner_.GetTempPathA(size, buffer);
  }
  UINT GetTempFileNameA(const char* path, const char* prefix, UINT unique,
                        char* tempFileName) override {
    return inner_.GetTempFileNameA(path, prefix, unique, tempFileName);
  }
  BOOL GetDiskFreeSpaceW(const char16_t* root, DWORD* sectorsPerCluster, DWORD* bytesPerSector,
                         DWORD* freeClusters, DWORD* totalClusters) override {
    return inner_.GetDiskFreeSpaceW(root, sectorsPerCluster, bytesPerSector, freeClusters,
                                    totalClusters);
  }
  BOOL GetDiskFreeSpaceExW(const char16_t* directory, ULONGLONG* freeToCaller,
                           ULONGLONG* totalBytes, ULONGLONG* totalFreeBytes) override {
    return inner_.GetDiskFreeSpaceExW(directory, freeToCaller, totalBytes, totalFreeBytes);
  }
  void GetSystemTime(SYSTEMTIME* time) override { inner_.GetSystemTime(time); }
  void GetLocalTime(SYSTEMTIME* time) override { inner_.GetLocalTime(time); }
  DWORD GetVersion() override { return inner_.GetVersion(); }
  BOOL GetUserNameW(char16_t* buffer, DWORD* size) override {
    return inner_.GetUserNameW(buffer, size);
  }
  BOOL GetComputerNameW(char16_t* buffer, DWORD* size) override {
    return inner_.GetComputerNameW(buffer, size);
  }
  LONG RegOpenKeyExW(HKEY key, const char16_t* subKey, DWORD options, REGSAM access,
                     HKEY* result) override {
    return inner_.RegOpenKeyExW(key, subKey, options, access, result);
  }
  LONG RegCloseKey(HKEY key) override { return inner_.RegCloseKey(key); }
  int WideCharToMultiByte(UINT codePage, DWORD flags, const char16_t* wide, int wideCount,
                          char* multiByte, int multiByteSize, const char* defaultChar,
                          BOOL* usedDefaultChar) override {
    return inner_.WideCharToMultiByte(codePage, flags, wide, wideCount, multiByte, multiByteSize,
                                      defaultChar, usedDefaultChar);
  }
  int MultiByteToWideChar(UINT codePage, DWORD flags, const char* multiByte, int multiByteCount,
                          char16_t* wide, int wideSize) override {
    return inner_.MultiByteToWideChar(codePage, flags, multiByte, multiByteCount, wide, wideSize);
  }
  UINT GetACP() override { return inner_.GetACP(); }
  HMODULE LoadLibraryW(const char16_t* name) override { return inner_.LoadLibraryW(name); }
  FARPROC GetProcAddress(HMODULE module, const char* name) override {
    return inner_.GetProcAddress(module, name);
  }
  BOOL FreeLibrary(HMODULE module) override { return inner_.FreeLibrary(module); }
  BOOL DisableThreadLibraryCalls(HMODULE module) override {
    return inner_.DisableThreadLibraryCalls(module);
  }
  DWORD GetCurrentDirectoryW(DWORD size, char16_t* buffer) override {
    return inner_.GetCurrentDirectoryW(size, buffer);
  }
  BOOL SetCurrentDirectoryW(const char16_t* path) override {
    return inner_.SetCurrentDirectoryW(path);
  }
  int LoadStringW(HINSTANCE module, UINT id, char16_t* buffer, int bufferMax) override {
    return inner_.LoadStringW(module, id, buffer, bufferMax);
  }
  BOOL WritePrinter(HANDLE printer, const void* buffer, DWORD count, DWORD* written) override {
    return inner_.WritePrinter(printer, buffer, count, written);
  }
  BOOL GetPrinterDriverW(HANDLE printer, const char16_t* environment, DWORD level, BYTE* driverInfo,
                         DWORD size, DWORD* needed) override {
    return inner_.GetPrinterDriverW(printer, environment, level, driverInfo, size, needed);
  }
  BOOL GetJobW(HANDLE printer, DWORD jobId, DWORD level, BYTE* job, DWORD size,
               DWORD* needed) override {
    return inner_.GetJobW(printer, jobId, level, job, size, needed);
  }
  BOOL GetPrinterW(HANDLE printer, DWORD level, BYTE* printerInfo, DWORD size,
                   DWORD* needed) override {
    return inner_.GetPrinterW(printer, level, printerInfo, size, needed);
  }

 private:
  Platform& inner_;
};

}  // namespace spoolhook
