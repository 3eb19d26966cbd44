#include "win32/built_library.h"

#include "platform/win32/win32_api.h"

extern "C" __declspec(dllimport) spoolhook::DWORD WINAPI
    GetModuleFileNameW(spoolhook::HMODULE module, char16_t* name, spoolhook::DWORD size);

namespace spoolhook::testing {
namespace {

template <class Function>
void Find(HMODULE module, const char* name, Function& function) {
  function = reinterpret_cast<Function>(win32::GetProcAddress(module, name));
}

}  // namespace

std::u16string BuiltLibrary::PathInBuildTree() {
  char16_t program[1024] = {};
  GetModuleFileNameW(nullptr, program, 1024);
  std::u16string path = program;
  path.erase(path.find_last_of(u'\\') + 1);
  return path + u"..\\src\\spoolhook.dll";
}

BuiltLibrary::BuiltLibrary(const std::u16string& path)
    : module_(win32::LoadLibraryW(path.c_str())) {
  if (!module_) return;
  Find(module_, "DrvSplStartDoc", exports_.startDoc);
  Find(module_, "DrvSplWritePrinter", exports_.writePrinter);
  Find(module_, "DrvSplEndDoc", exports_.endDoc);
  Find(module_, "DrvSplClose", exports_.close);
  Find(module_, "DrvSplStartPage", exports_.startPage);
  Find(module_, "DrvSplEndPage", exports_.endPage);
  Find(module_, "DrvSplAbort", exports_.abort);
}

BuiltLibrary::~BuiltLibrary() {
  if (module_) win32::FreeLibrary(module_);
}

bool BuiltLibrary::loaded() const {
  const EntryPoints& e = exports_;
  return module_ && e.startDoc && e.writePrinter && e.endDoc && e.close && e.startPage &&
         e.endPage && e.abort;
}

}  // namespace spoolhook::testing
