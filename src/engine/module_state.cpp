#include "engine/module_state.h"

#include "platform/platform.h"

#ifdef _WIN32
// The linker's symbol at the start of the module that this code is linked into.
extern "C" char __ImageBase;
#endif

namespace spoolhook {
namespace {
// On Windows it starts as the module the library is linked into (the DLL, or a program that
// links the library statically), which is what process attach passes. On the host nothing
// loads the library as a module: it starts with the handle under which the host platform
// serves the library's string table.
#ifdef _WIN32
HMODULE libraryModule = &__ImageBase;
#else
HMODULE libraryModule = reinterpret_cast<HMODULE>(kHostLibraryModule);
#endif
}  // namespace

HMODULE LibraryModule() { return libraryModule; }

void AttachLibrary(HMODULE module) {
  libraryModule = module;
  Os().DisableThreadLibraryCalls(module);
}

}  // namespace spoolhook
