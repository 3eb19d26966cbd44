// The inside of HostPlatform, shared by the files that implement its calls. One mutex guards
// every table; it is never held while the caller's memory is read or written (a guarded call
// may fault there on purpose and jump out), so the calls copy in before and out after.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/host/host_paths.h"
#include "platform/host/host_platform.h"
#include "platform/host/netapi_simulation.h"

namespace spoolhook {

// A file opened with CreateFile: the host descriptor (closed with the last reference) and
// what the opener asked for, which later opens and deletions are checked against.
struct HostFile {
  HostFile(int descriptor, DWORD access, DWORD share, dev_t device, ino_t inode)
      : descriptor(descriptor), access(access), share(share), device(device), inode(inode) {}
  ~HostFile();
  HostFile(const HostFile&) = delete;
  HostFile& operator=(const HostFile&) = delete;

  const int descriptor;
  const DWORD access;
  const DWORD share;
  const dev_t device;
  const ino_t inode;
};

struct HeapBlock {
  std::size_t size;
  std::size_t capacity;  // what the allocation holds; growth up to it stays in place
};

// A library loaded with dlopen, counted per LoadLibraryW.
struct LoadedLibrary {
  void* library;
  std::size_t references;
};

// A Windows path and the host path it maps to.
struct MappedPath {
  WindowsPath windows;
  std::filesystem::path host;
};

// A new handle value: a multiple of 4, unique in the process, never 0 nor the invalid value.
std::uintptr_t NewHandleValue();

// The Windows error of a failed host call; `fallback` for an errno without a closer match.
DWORD ErrorFromErrno(int error, DWORD fallback = ERROR_ACCESS_DENIED);

// What a host path holds.
struct HostEntry {
  bool exists = false;
  bool directory = false;
  bool readOnly = false;
  dev_t device = 0;
  ino_t inode = 0;
};
HostEntry InspectHostPath(const std::filesystem::path& path);
// The error for a name that does not exist: ERROR_FILE_NOT_FOUND when its folder exists,
// ERROR_PATH_NOT_FOUND when the folder is missing too.
DWORD MissingNameError(const std::filesystem::path& path);

// A registry key path as the folded names between its backslashes.
std::vector<std::u16string> SplitKeyPath(std::u16string_view path);

struct HostPlatform::State {
  explicit State(HostMachineConfig machine);

  // Maps a Windows path (relative ones against the current directory): ERROR_SUCCESS, or the
  // error of a bad name or of a drive or share that does not exist. Takes the lock.
  DWORD Map(std::u16string_view name, MappedPath& mapped) const;
  // The existing folder that `name` names (none: the current volume's root).
  DWORD MapFolder(const char16_t* name, std::filesystem::path& folder) const;
  // The open file of a handle; none for a handle that is not an open file. Takes the lock.
  std::shared_ptr<HostFile> FindFile(HANDLE handle) const;
  // CreateFile and DeleteFile for both kinds of name: the last-error value they leave
  // (ERROR_SUCCESS or ERROR_ALREADY_EXISTS when `handle` was opened).
  DWORD CreateFile(std::u16string_view name, DWORD access, DWORD share, DWORD disposition,
                   std::uintptr_t& handle);
  DWORD DeleteFile(std::u16string_view name);
  // Creates the empty file `start` + a unique number in hexadecimal + ".TMP".
  DWORD CreateTempFile(const std::string& start, UINT& unique, std::string& name);

  const HostMachineConfig config;
  // Registry keys, each as its folded names.
  const std::vector<std::vector<std::u16string>> registryKeys;
  const std::uintptr_t netapiModule;

  PopupInbox inbox;
  NetapiEntryPoint netapi{inbox};

  mutable std::mutex mutex;
  // Guarded by the mutex:
  WindowsPath currentDirectory;
  std::unordered_map<void*, HeapBlock> heapBlocks;
  std::unordered_map<std::uintptr_t, std::shared_ptr<HostFile>> files;
  std::unordered_map<std::uintptr_t, std::vector<std::u16string>> keys;
  std::unordered_map<std::uintptr_t, LoadedLibrary> libraries;
  std::size_t netapiReferences = 0;
  // Where the search for a unique temporary name starts next.
  std::atomic<std::uint16_t> nextTempUnique;
};

}  // namespace spoolhook
