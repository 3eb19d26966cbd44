// Windows-shaped types, constants and structures that the library exchanges with the
// operating system and the print spooler. They are written here from the documented API so
// that the engine compiles the same way on every platform. No system header is included
// anywhere: the Win32 implementation declares the few system calls it forwards to itself.
#pragma once

#include <cstddef>
#include <cstdint>

#ifndef WINAPI
#if defined(_WIN32) && !defined(_WIN64)
#define WINAPI __stdcall
#else
#define WINAPI
#endif
#endif

namespace spoolhook {

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = unsigned int;
using ULONGLONG = std::uint64_t;
using HANDLE = void*;
using HMODULE = void*;
using HINSTANCE = void*;
using HKEY = void*;
using REGSAM = DWORD;
using FARPROC = void (*)();

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

inline HANDLE InvalidHandle() { return reinterpret_cast<HANDLE>(~std::uintptr_t{0}); }
#define INVALID_HANDLE_VALUE (::spoolhook::InvalidHandle())

// Access, sharing, creation and attribute values of CreateFile.
constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;
constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD FILE_SHARE_DELETE = 0x4;
constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD FILE_ATTRIBUTE_TEMPORARY = 0x100;
constexpr DWORD FILE_FLAG_SEQUENTIAL_SCAN = 0x08000000u;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFFu;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFFu;
constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;

// Heap.
constexpr DWORD HEAP_ZERO_MEMORY = 0x8;
constexpr DWORD HEAP_REALLOC_IN_PLACE_ONLY = 0x10;

// Registry.
inline HKEY HkeyLocalMachine() { return reinterpret_cast<HKEY>(std::uintptr_t{0x80000002u}); }
#define HKEY_LOCAL_MACHINE (::spoolhook::HkeyLocalMachine())
constexpr REGSAM KEY_READ = 0x20019;

// Code pages.
constexpr UINT CP_ACP = 0;
constexpr UINT CP_WINDOWS_1252 = 1252;

// Module entry reasons.
constexpr DWORD DLL_PROCESS_DETACH = 0;
constexpr DWORD DLL_PROCESS_ATTACH = 1;
constexpr DWORD DLL_THREAD_ATTACH = 2;
constexpr DWORD DLL_THREAD_DETACH = 3;

// Error codes (GetLastError and the registry's results).
constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_WRITE_FAULT = 29;
constexpr DWORD ERROR_READ_FAULT = 30;
constexpr DWORD ERROR_SHARING_VIOLATION = 32;
constexpr DWORD ERROR_NOT_SUPPORTED = 50;
constexpr DWORD ERROR_FILE_EXISTS = 80;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_BUFFER_OVERFLOW = 111;
constexpr DWORD ERROR_DISK_FULL = 112;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_INVALID_NAME = 123;
constexpr DWORD ERROR_INVALID_LEVEL = 124;
constexpr DWORD ERROR_MOD_NOT_FOUND = 126;
constexpr DWORD ERROR_PROC_NOT_FOUND = 127;
constexpr DWORD ERROR_NEGATIVE_SEEK = 131;
constexpr DWORD ERROR_ALREADY_EXISTS = 183;
constexpr DWORD ERROR_DIRECTORY = 267;
constexpr DWORD ERROR_NOACCESS = 998;
constexpr DWORD ERROR_RESOURCE_DATA_NOT_FOUND = 1812;
constexpr DWORD ERROR_RESOURCE_NAME_NOT_FOUND = 1814;
constexpr DWORD ERROR_UNKNOWN_PRINTER_DRIVER = 1797;
constexpr DWORD ERROR_INVALID_PRINTER_NAME = 1801;
constexpr DWORD ERROR_NO_UNICODE_TRANSLATION = 1113;

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};

// GetPrinterDriverW level 2.
struct DRIVER_INFO_2W {
  DWORD cVersion;
  char16_t* pName;
  char16_t* pEnvironment;
  char16_t* pDriverPath;
  char16_t* pDataFile;
  char16_t* pConfigFile;
};

// GetJobW level 2.
struct JOB_INFO_2W {
  DWORD JobId;
  char16_t* pPrinterName;
  char16_t* pMachineName;
  char16_t* pUserName;
  char16_t* pDocument;
  char16_t* pNotifyName;
  char16_t* pDatatype;
  char16_t* pPrintProcessor;
  char16_t* pParameters;
  char16_t* pDriverName;
  void* pDevMode;
  char16_t* pStatus;
  void* pSecurityDescriptor;
  DWORD Status;
  DWORD Priority;
  DWORD Position;
  DWORD StartTime;
  DWORD UntilTime;
  DWORD TotalPages;
  DWORD Size;
  SYSTEMTIME Submitted;
  DWORD Time;
  DWORD PagesPrinted;
};

// GetPrinterW level 2.
struct PRINTER_INFO_2W {
  char16_t* pServerName;
  char16_t* pPrinterName;
  char16_t* pShareName;
  char16_t* pPortName;
  char16_t* pDriverName;
  char16_t* pComment;
  char16_t* pLocation;
  void* pDevMode;
  char16_t* pSepFile;
  char16_t* pPrintProcessor;
  char16_t* pDatatype;
  char16_t* pParameters;
  void* pSecurityDescriptor;
  DWORD Attributes;
  DWORD Priority;
  DWORD DefaultPriority;
  DWORD StartTime;
  DWORD UntilTime;
  DWORD Status;
  DWORD cJobs;
  DWORD AveragePPM;
};

// NetMessageBufferSend of the network library, looked up at run time.
using NetMessageBufferSendFn = DWORD(WINAPI*)(const char16_t* server, const char16_t* messageName,
                                              const char16_t* fromName, BYTE* buffer,
                                              DWORD bufferSize);

}  // namespace spoolhook
