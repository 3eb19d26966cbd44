// The Win32 calls that the Windows build forwards to, declared from their documented
// signatures (no system header is included). Wide strings are char16_t, which has the ABI of
// the system's wchar_t; pointers the API declares as non-const but never writes through are
// const here.
#pragma once

#include "platform/win_types.h"

#define SPOOLHOOK_SYSTEM_API extern "C" __declspec(dllimport)

namespace spoolhook::win32 {

// kernel32: errors, heap, files.
SPOOLHOOK_SYSTEM_API DWORD WINAPI GetLastError();
SPOOLHOOK_SYSTEM_API void WINAPI SetLastError(DWORD error);
SPOOLHOOK_SYSTEM_API HANDLE WINAPI GetProcessHeap();
SPOOLHOOK_SYSTEM_API void* WINAPI HeapAlloc(HANDLE heap, DWORD flags, std::size_t bytes);
SPOOLHOOK_SYSTEM_API void* WINAPI HeapReAlloc(HANDLE heap, DWORD flags, void* block,
                                              std::size_t bytes);
SPOOLHOOK_SYSTEM_API BOOL WINAPI HeapFree(HANDLE heap, DWORD flags, void* block);
SPOOLHOOK_SYSTEM_API HANDLE WINAPI CreateFileA(const char* name, DWORD access, DWORD share,
                                               void* security, DWORD disposition,
                                               DWORD flagsAndAttributes, HANDLE templateFile);
SPOOLHOOK_SYSTEM_API HANDLE WINAPI CreateFileW(const char16_t* name, DWORD access, DWORD share,
                                               void* security, DWORD disposition,
                                               DWORD flagsAndAttributes, HANDLE templateFile);
SPOOLHOOK_SYSTEM_API BOOL WINAPI ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read,
                                          void* overlapped);
SPOOLHOOK_SYSTEM_API BOOL WINAPI WriteFile(HANDLE file, const void* buffer, DWORD toWrite,
                                           DWORD* written, void* overlapped);
SPOOLHOOK_SYSTEM_API DWORD WINAPI SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh,
                                                 DWORD method);
SPOOLHOOK_SYSTEM_API DWORD WINAPI GetFileSize(HANDLE file, DWORD* sizeHigh);
SPOOLHOOK_SYSTEM_API BOOL WINAPI CloseHandle(HANDLE handle);
SPOOLHOOK_SYSTEM_API BOOL WINAPI DeleteFileA(const char* name);
SPOOLHOOK_SYSTEM_API BOOL WINAPI DeleteFileW(const char16_t* name);
SPOOLHOOK_SYSTEM_API DWORD WINAPI GetFileAttributesW(const char16_t* name);
SPOOLHOOK_SYSTEM_API DWORD WINAPI GetTempPathA(DWORD size, char* buffer);
SPOOLHOOK_SYSTEM_API UINT WINAPI GetTempFileNameA(const char* path, const char* prefix, UINT unique,
                                                  char* tempFileName);
SPOOLHOOK_SYSTEM_API BOOL WINAPI GetDiskFreeSpaceW(const char16_t* root, DWORD* sectorsPerCluster,
                                                   DWORD* bytesPerSector, DWORD* freeClusters,
                                                   DWORD* totalClusters);
SPOOLHOOK_SYSTEM_API BOOL WINAPI GetDiskFreeSpaceExW(const char16_t* directory,
                                                     ULONGLONG* freeToCaller, ULONGLONG* totalBytes,
                                                     ULONGLONG* totalFreeBytes);

// kernel32: time, version, names, code pages, modules, the current directory.
SPOOLHOOK_SYSTEM_API void WINAPI GetSystemTime(SYSTEMTIME* time);
SPOOLHOOK_SYSTEM_API void WINAPI GetLocalTime(SYSTEMTIME* time);
SPOOLHOOK_SYSTEM_API DWORD WINAPI GetVersion();
SPOOLHOOK_SYSTEM_API BOOL WINAPI GetComputerNameW(char16_t* buffer, DWORD* size);
SPOOLHOOK_SYSTEM_API int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags,
                                                    const char16_t* wide, int wideCount,
                                                    char* multiByte, int multiByteSize,
                                                    const char* defaultChar, BOOL* usedDefaultChar);
SPOOLHOOK_SYSTEM_API int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags,
                                                    const char* multiByte, int multiByteCount,
                                                    char16_t* wide, int wideSize);
SPOOLHOOK_SYSTEM_API UINT WINAPI GetACP();
SPOOLHOOK_SYSTEM_API HMODULE WINAPI LoadLibraryW(const char16_t* name);
SPOOLHOOK_SYSTEM_API FARPROC WINAPI GetProcAddress(HMODULE module, const char* name);
SPOOLHOOK_SYSTEM_API BOOL WINAPI FreeLibrary(HMODULE module);
SPOOLHOOK_SYSTEM_API BOOL WINAPI DisableThreadLibraryCalls(HMODULE module);
SPOOLHOOK_SYSTEM_API DWORD WINAPI GetCurrentDirectoryW(DWORD size, char16_t* buffer);
SPOOLHOOK_SYSTEM_API BOOL WINAPI SetCurrentDirectoryW(const char16_t* path);

// kernel32: vectored exception handling.
struct EXCEPTION_RECORD {
  DWORD ExceptionCode;
  DWORD ExceptionFlags;
  EXCEPTION_RECORD* ExceptionRecord;
  void* ExceptionAddress;
  DWORD NumberParameters;
  std::uintptr_t ExceptionInformation[15];
};
struct CONTEXT;  // per architecture; the guard reads the few registers it needs
struct EXCEPTION_POINTERS {
  EXCEPTION_RECORD* ExceptionRecord;
  CONTEXT* ContextRecord;
};
using VectoredExceptionHandler = LONG(WINAPI*)(EXCEPTION_POINTERS* exception);
constexpr LONG EXCEPTION_CONTINUE_EXECUTION = -1;
constexpr LONG EXCEPTION_CONTINUE_SEARCH = 0;
SPOOLHOOK_SYSTEM_API void* WINAPI AddVectoredExceptionHandler(DWORD first,
                                                              VectoredExceptionHandler handler);
SPOOLHOOK_SYSTEM_API DWORD WINAPI RemoveVectoredExceptionHandler(void* handle);

// advapi32.
SPOOLHOOK_SYSTEM_API BOOL WINAPI GetUserNameW(char16_t* buffer, DWORD* size);
SPOOLHOOK_SYSTEM_API LONG WINAPI RegOpenKeyExW(HKEY key, const char16_t* subKey, DWORD options,
                                               REGSAM access, HKEY* result);
SPOOLHOOK_SYSTEM_API LONG WINAPI RegCloseKey(HKEY key);

// user32.
SPOOLHOOK_SYSTEM_API int WINAPI LoadStringW(HINSTANCE module, UINT id, char16_t* buffer,
                                            int bufferMax);

// winspool.
SPOOLHOOK_SYSTEM_API BOOL WINAPI WritePrinter(HANDLE printer, const void* buffer, DWORD count,
                                              DWORD* written);
SPOOLHOOK_SYSTEM_API BOOL WINAPI GetPrinterDriverW(HANDLE printer, const char16_t* environment,
                                                   DWORD level, BYTE* driverInfo, DWORD size,
                                                   DWORD* needed);
SPOOLHOOK_SYSTEM_API BOOL WINAPI GetJobW(HANDLE printer, DWORD jobId, DWORD level, BYTE* job,
                                         DWORD size, DWORD* needed);
SPOOLHOOK_SYSTEM_API BOOL WINAPI GetPrinterW(HANDLE printer, DWORD level, BYTE* printerInfo,
                                             DWORD size, DWORD* needed);

}  // namespace spoolhook::win32
