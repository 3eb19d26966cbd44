// The module entry point of the Windows library; the host build has none.
#ifdef _WIN32
#include "engine/module_state.h"

extern "C" spoolhook::BOOL WINAPI DllMain(spoolhook::HINSTANCE instance, spoolhook::DWORD reason,
                                          void* /*reserved*/) {
  if (reason == spoolhook::DLL_PROCESS_ATTACH) spoolhook::AttachLibrary(instance);
  return spoolhook::TRUE;
}
#endif
