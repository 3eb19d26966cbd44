#include "engine/module_state.h"

#include "platform/platform.h"

namespace spoolhook {
namespace {
// On the host nothing loads the library as a module: it starts with the handle under which
// the host platform serves the library's string table.
#ifdef _WIN32
HMODULE libraryModule = nullptr;
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
