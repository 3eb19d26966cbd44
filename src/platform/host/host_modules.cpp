// Modules: the simulated network library, and every other library loaded with dlopen from
// the host path of its Windows path, both counted per load as Windows counts them.
#include <dlfcn.h>

#include "platform/host/host_platform_state.h"
#include "platform/host/host_text.h"

namespace spoolhook {
namespace {

constexpr char kNetMessageBufferSend[] = "NetMessageBufferSend";

// "NETAPI32" with or without ".dll" and a folder, in any case.
bool NamesNetapi(std::u16string_view name) {
  const std::size_t separator = name.find_last_of(u"\\/");
  const std::u16string file =
      FoldCase(separator == std::u16string_view::npos ? name : name.substr(separator + 1));
  return file == u"NETAPI32" || file == u"NETAPI32.DLL";
}

// GetProcAddress also takes an ordinal in the low word of the name pointer.
bool IsOrdinal(const char* name) { return reinterpret_cast<std::uintptr_t>(name) <= 0xFFFF; }

}  // namespace

HMODULE HostPlatform::LoadLibraryW(const char16_t* name) {
  if (!name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const std::u16string copied(name);
  if (NamesNetapi(copied)) {
    if (!state_->config.netapiAvailable || !state_->netapi.function()) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return nullptr;
    }
    std::lock_guard<std::mutex> lock(state_->mutex);
    ++state_->netapiReferences;
    return reinterpret_cast<HMODULE>(state_->netapiModule);
  }
  MappedPath path;
  // Outside the lock: the library's initializers may call this platform.
  void* library = state_->Map(copied, path) == ERROR_SUCCESS
                      ? ::dlopen(path.host.c_str(), RTLD_NOW | RTLD_LOCAL)
                      : nullptr;
  if (!library) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(state_->mutex);
  for (auto& [handle, loaded] : state_->libraries) {
    if (loaded.library != library) continue;
    ++loaded.references;
    return reinterpret_cast<HMODULE>(handle);
  }
  const std::uintptr_t handle = NewHandleValue();
  state_->libraries.emplace(handle, LoadedLibrary{library, 1});
  return reinterpret_cast<HMODULE>(handle);
}

FARPROC HostPlatform::GetProcAddress(HMODULE module, const char* name) {
  const std::string copied = !name || IsOrdinal(name) ? std::string() : std::string(name);
  const auto handle = reinterpret_cast<std::uintptr_t>(module);
  void* symbol = nullptr;
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    const auto found = state_->libraries.find(handle);
    const bool netapi = handle == state_->netapiModule && state_->netapiReferences > 0;
    if (!netapi && found == state_->libraries.end()) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return nullptr;
    }
    if (netapi) {
      symbol = copied == kNetMessageBufferSend ? reinterpret_cast<void*>(state_->netapi.function())
                                               : nullptr;
    } else if (!copied.empty()) {
      symbol = ::dlsym(found->second.library, copied.c_str());
    }
  }
  if (!symbol) SetLastError(ERROR_PROC_NOT_FOUND);
  return reinterpret_cast<FARPROC>(symbol);
}

BOOL HostPlatform::FreeLibrary(HMODULE module) {
  const auto handle = reinterpret_cast<std::uintptr_t>(module);
  void* closing = nullptr;
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (handle == state_->netapiModule && state_->netapiReferences > 0) {
      --state_->netapiReferences;
      return TRUE;
    }
    const auto found = state_->libraries.find(handle);
    if (found == state_->libraries.end()) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return FALSE;
    }
    closing = found->second.library;
    if (--found->second.references == 0) state_->libraries.erase(found);
  }
  // Outside the lock: the library's finalizers may call this platform.
  ::dlclose(closing);
  return TRUE;
}

BOOL HostPlatform::DisableThreadLibraryCalls(HMODULE module) {
  if (module) return TRUE;
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}

}  // namespace spoolhook
