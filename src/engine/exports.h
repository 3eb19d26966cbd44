// The entry points the print spooler calls, with the signatures of its driver interface.
#pragma once

#include "platform/win_types.h"

#if defined(_WIN32)
#define SPOOLHOOK_EXPORT  // the module definition file names the exports
#else
#define SPOOLHOOK_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {
SPOOLHOOK_EXPORT spoolhook::HANDLE WINAPI DrvSplStartDoc(spoolhook::HANDLE printer,
                                                         spoolhook::DWORD jobId);
SPOOLHOOK_EXPORT spoolhook::BOOL WINAPI DrvSplWritePrinter(spoolhook::HANDLE job, void* buffer,
                                                           spoolhook::DWORD count,
                                                           spoolhook::DWORD* written);
SPOOLHOOK_EXPORT void WINAPI DrvSplEndDoc(spoolhook::HANDLE job);
SPOOLHOOK_EXPORT void WINAPI DrvSplClose(spoolhook::HANDLE job);
SPOOLHOOK_EXPORT spoolhook::BOOL WINAPI DrvSplStartPage(spoolhook::HANDLE job);
SPOOLHOOK_EXPORT spoolhook::BOOL WINAPI DrvSplEndPage(spoolhook::HANDLE job);
SPOOLHOOK_EXPORT void WINAPI DrvSplAbort(spoolhook::HANDLE job);
}

namespace spoolhook {

// The entry points as pointers: those of the library linked into a program, or of one loaded
// at run time.
struct EntryPoints {
  decltype(&::DrvSplStartDoc) startDoc = nullptr;
  decltype(&::DrvSplWritePrinter) writePrinter = nullptr;
  decltype(&::DrvSplEndDoc) endDoc = nullptr;
  decltype(&::DrvSplClose) close = nullptr;
  decltype(&::DrvSplStartPage) startPage = nullptr;
  decltype(&::DrvSplEndPage) endPage = nullptr;
  decltype(&::DrvSplAbort) abort = nullptr;
};

}  // namespace spoolhook
