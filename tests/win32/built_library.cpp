#include "win32/built_library.h"

#include <string>

#include "platform/platform.h"

extern "C" __declspec(dllimport) spoolhook::DWORD WINAPI
    GetModuleFileNameW(spoolhook::HMODULE module, char16_t* name, spoolhook::DWORD size);

namespace spoolhook::testing {
namespace {

std::u16string LibraryPath() {
  char16_t program[1024] = {};
  GetModuleFileNameW(nullptr, program, 1024);
  std::u16string path = program;
  path.erase(path.find_last_of(u'\\') + 1);
  return path + u"..\\src\\spoolhook.dll";
}

template <class Function>
void Find(HMODULE module, const char* name, Function& function) {
  function = reinterpret_cast<Function>(BuiltInPlatform().GetProcAddress(module, name));
}

}  // namespace

BuiltLibrary::BuiltLibrary() : module_(BuiltInPlatform().LoadLibraryW(LibraryPath().c_str())) {
  if (!module_) return;
  Find(module_, "DrvSplStartDoc", exports_.startDoc);
  Find(module_, "DrvSplWritePrinter", exports_.writePrinter);
  Find(module_, "DrvSplEndDoc", exports_.endDoc);
  Find(module_, "DrvSplClose", exports_.close);
}

BuiltLibrary::~BuiltLibrary() {
  if (module_) BuiltInPlatform().FreeLibrary(module_);
}

bool BuiltLibrary::loaded() const {
  return module_ && exports_.startDoc && exports_.writePrinter && exports_.endDoc && exports_.close;
}

}  // namespace spoolhook::testing
