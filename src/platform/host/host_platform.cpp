// The simulated machine's state, its last-error value, the mapping of paths and the calls
// that the host cannot serve.
#include "platform/host/host_platform.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <system_error>

#include "platform/host/code_page_1252.h"
#include "platform/host/host_platform_state.h"

namespace spoolhook {
namespace {

namespace fs = std::filesystem;

thread_local DWORD threadLastError = ERROR_SUCCESS;

std::atomic<std::uintptr_t> nextHandleValue{0x1000};

struct ErrnoError {
  int error;
  DWORD windowsError;
};

constexpr ErrnoError kErrnoErrors[] = {
    {ENOENT, ERROR_FILE_NOT_FOUND},    {ENOTDIR, ERROR_PATH_NOT_FOUND},
    {EEXIST, ERROR_FILE_EXISTS},       {ENOSPC, ERROR_DISK_FULL},
    {EDQUOT, ERROR_DISK_FULL},         {EFAULT, ERROR_NOACCESS},
    {ENOMEM, ERROR_NOT_ENOUGH_MEMORY}, {ENAMETOOLONG, ERROR_INVALID_NAME},
    {EACCES, ERROR_ACCESS_DENIED},     {EPERM, ERROR_ACCESS_DENIED},
};

std::vector<std::vector<std::u16string>> SplitKeyPaths(const std::vector<std::u16string>& paths) {
  std::vector<std::vector<std::u16string>> keys;
  for (const std::u16string& path : paths) keys.push_back(SplitKeyPath(path));
  return keys;
}

// Like Windows, which starts from the clock, so that runs do not begin with the same name.
std::uint16_t TempUniqueSeed() {
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch();
  const auto seed = static_cast<std::uint16_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(ticks).count());
  return seed == 0 ? 1 : seed;
}

}  // namespace

std::uintptr_t NewHandleValue() { return nextHandleValue.fetch_add(4); }

DWORD ErrorFromErrno(int error, DWORD fallback) {
  for (const ErrnoError& entry : kErrnoErrors) {
    if (entry.error == error) return entry.windowsError;
  }
  return fallback;
}

HostEntry InspectHostPath(const fs::path& path) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return {};
  return {true, S_ISDIR(status.st_mode), (status.st_mode & S_IWUSR) == 0, status.st_dev,
          status.st_ino};
}

DWORD MissingNameError(const fs::path& path) {
  return InspectHostPath(path.parent_path()).directory ? ERROR_FILE_NOT_FOUND
                                                       : ERROR_PATH_NOT_FOUND;
}

HostFile::~HostFile() { ::close(descriptor); }

HostPlatform::State::State(HostMachineConfig machine)
    : config(std::move(machine)),
      registryKeys(SplitKeyPaths(config.registryKeys)),
      netapiModule(NewHandleValue()),
      nextTempUnique(TempUniqueSeed()) {
  const WindowsPath systemRoot{u"C:", {}, false};
  if (ParseWindowsPath(config.currentDirectory, systemRoot, currentDirectory) != ERROR_SUCCESS) {
    currentDirectory = systemRoot;
  }
  currentDirectory.trailingSeparator = false;
  WindowsPath temp;
  std::error_code ignored;
  fs::create_directories(config.root, ignored);
  if (ParseWindowsPath(AnsiToWide(config.tempPath), currentDirectory, temp) == ERROR_SUCCESS) {
    fs::create_directories(HostPathOf(config.root, temp), ignored);
  }
}

DWORD HostPlatform::State::Map(std::u16string_view name, MappedPath& mapped) const {
  WindowsPath current;
  {
    std::lock_guard<std::mutex> lock(mutex);
    current = currentDirectory;
  }
  if (const DWORD error = ParseWindowsPath(name, current, mapped.windows)) return error;
  if (!InspectHostPath(HostVolumeFolder(config.root, mapped.windows)).directory) {
    return ERROR_PATH_NOT_FOUND;
  }
  mapped.host = HostPathOf(config.root, mapped.windows);
  return ERROR_SUCCESS;
}

std::shared_ptr<HostFile> HostPlatform::State::FindFile(HANDLE handle) const {
  std::lock_guard<std::mutex> lock(mutex);
  const auto found = files.find(reinterpret_cast<std::uintptr_t>(handle));
  return found == files.end() ? nullptr : found->second;
}

HostPlatform::HostPlatform(HostMachineConfig config)
    : state_(std::make_unique<State>(std::move(config))) {}

HostPlatform::~HostPlatform() {
  for (const auto& [block, info] : state_->heapBlocks) std::free(block);
  for (const auto& [handle, loaded] : state_->libraries) {
    for (std::size_t i = 0; i < loaded.references; ++i) ::dlclose(loaded.library);
  }
}

HMODULE HostPlatform::LibraryModule() { return reinterpret_cast<HMODULE>(kHostLibraryModule); }

const HostMachineConfig& HostPlatform::config() const { return state_->config; }

std::filesystem::path HostPlatform::MapPath(std::u16string_view windowsPath) const {
  MappedPath mapped;
  return state_->Map(windowsPath, mapped) == ERROR_SUCCESS ? mapped.host : fs::path();
}

std::vector<Popup> HostPlatform::popups() const { return state_->inbox.All(); }

void HostPlatform::OnPopup(std::function<void(const Popup&)> hook) {
  state_->inbox.SetHook(std::move(hook));
}

std::size_t HostPlatform::OpenHandleCount() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  std::size_t count = state_->files.size() + state_->keys.size() + state_->netapiReferences;
  for (const auto& [handle, loaded] : state_->libraries) count += loaded.references;
  return count;
}

std::size_t HostPlatform::HeapBlockCount() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->heapBlocks.size();
}

DWORD HostPlatform::GetLastError() { return threadLastError; }

void HostPlatform::SetLastError(DWORD error) { threadLastError = error; }

BOOL HostPlatform::WritePrinter(HANDLE, const void*, DWORD, DWORD*) {
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}

BOOL HostPlatform::GetPrinterDriverW(HANDLE, const char16_t*, DWORD, BYTE*, DWORD, DWORD*) {
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}

BOOL HostPlatform::GetJobW(HANDLE, DWORD, DWORD, BYTE*, DWORD, DWORD*) {
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}

BOOL HostPlatform::GetPrinterW(HANDLE, DWORD, BYTE*, DWORD, DWORD*) {
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}

}  // namespace spoolhook
