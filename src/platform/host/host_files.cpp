// Files: CreateFile with Windows' dispositions and share modes, reads, writes, the file
// pointer and size, closing, deletion and attributes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/host/code_page_1252.h"
#include "platform/host/host_platform_state.h"

namespace spoolhook {
namespace {

// An access right and the share flag that every other opener must grant for it.
struct ShareRule {
  DWORD access;
  DWORD share;
};

constexpr ShareRule kShareRules[] = {
    {GENERIC_READ, FILE_SHARE_READ},
    {GENERIC_WRITE, FILE_SHARE_WRITE},
};

constexpr DWORD kDataAccess = GENERIC_READ | GENERIC_WRITE;

// Windows checks both ways: the new opener's access against the share mode of every open
// handle, and every open handle's access against the new share mode. Handles without read or
// write access (opened to look at attributes) take no part.
bool CanShare(const HostFile& open, DWORD access, DWORD share) {
  if (!(open.access & kDataAccess) || !(access & kDataAccess)) return true;
  for (const ShareRule& rule : kShareRules) {
    if ((access & rule.access) && !(open.share & rule.share)) return false;
    if ((open.access & rule.access) && !(share & rule.share)) return false;
  }
  return true;
}

bool IsSameFile(const HostFile& open, const HostEntry& entry) {
  return open.device == entry.device && open.inode == entry.inode;
}

bool Truncates(DWORD disposition) {
  return disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
}

HANDLE AsHandle(std::uintptr_t value) { return reinterpret_cast<HANDLE>(value); }

}  // namespace

DWORD HostPlatform::State::CreateFile(std::u16string_view name, DWORD access, DWORD share,
                                      DWORD disposition, std::uintptr_t& handle) {
  if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) return ERROR_INVALID_PARAMETER;
  if (disposition == TRUNCATE_EXISTING && !(access & GENERIC_WRITE)) {
    return ERROR_INVALID_PARAMETER;
  }
  MappedPath path;
  if (const DWORD error = Map(name, path)) return error;
  std::lock_guard<std::mutex> lock(mutex);
  const HostEntry entry = InspectHostPath(path.host);
  if (entry.directory) return ERROR_ACCESS_DENIED;
  if (path.windows.trailingSeparator) return ERROR_INVALID_NAME;
  // The descriptor may write whenever the file is to be emptied; the handle's own access
  // decides what ReadFile and WriteFile allow.
  int flags = O_CLOEXEC | ((access & GENERIC_WRITE) || Truncates(disposition) ? O_RDWR : O_RDONLY);
  if (entry.exists) {
    if (disposition == CREATE_NEW) return ERROR_FILE_EXISTS;
    if (entry.readOnly && ((access & GENERIC_WRITE) || Truncates(disposition))) {
      return ERROR_ACCESS_DENIED;
    }
    for (const auto& [value, open] : files) {
      if (IsSameFile(*open, entry) && !CanShare(*open, access, share)) {
        return ERROR_SHARING_VIOLATION;
      }
    }
    if (Truncates(disposition)) flags |= O_TRUNC;
  } else {
    if (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING) {
      return MissingNameError(path.host);
    }
    if (!InspectHostPath(path.host.parent_path()).directory) return ERROR_PATH_NOT_FOUND;
    flags |= O_CREAT | O_EXCL;
  }
  const int descriptor = ::open(path.host.c_str(), flags, 0666);
  if (descriptor < 0) return ErrorFromErrno(errno);
  struct stat status;
  ::fstat(descriptor, &status);
  handle = NewHandleValue();
  files.emplace(
      handle, std::make_shared<HostFile>(descriptor, access, share, status.st_dev, status.st_ino));
  const bool keptExisting = disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
  return entry.exists && keptExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
}

DWORD HostPlatform::State::DeleteFile(std::u16string_view name) {
  MappedPath path;
  if (const DWORD error = Map(name, path)) return error;
  std::lock_guard<std::mutex> lock(mutex);
  const HostEntry entry = InspectHostPath(path.host);
  if (!entry.exists) return MissingNameError(path.host);
  if (entry.directory || entry.readOnly) return ERROR_ACCESS_DENIED;
  if (path.windows.trailingSeparator) return ERROR_INVALID_NAME;
  for (const auto& [value, open] : files) {
    if (IsSameFile(*open, entry) && (open->access & kDataAccess) &&
        !(open->share & FILE_SHARE_DELETE)) {
      return ERROR_SHARING_VIOLATION;
    }
  }
  // Handles that allowed the deletion keep working on the unlinked file.
  return ::unlink(path.host.c_str()) == 0 ? ERROR_SUCCESS : ErrorFromErrno(errno);
}

HANDLE HostPlatform::CreateFileA(const char* name, DWORD access, DWORD share, void* security,
                                 DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile) {
  if (!name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const std::u16string wide = AnsiToWide(name);
  return CreateFileW(wide.c_str(), access, share, security, disposition, flagsAndAttributes,
                     templateFile);
}

// Security attributes, the template and the attribute and flag bits (temporary, sequential
// scan) change nothing on the host.
HANDLE HostPlatform::CreateFileW(const char16_t* name, DWORD access, DWORD share, void*,
                                 DWORD disposition, DWORD, HANDLE) {
  if (!name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const std::u16string copied(name);
  std::uintptr_t handle = 0;
  const DWORD result = state_->CreateFile(copied, access, share, disposition, handle);
  SetLastError(result);
  const bool opened = result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS;
  return opened ? AsHandle(handle) : INVALID_HANDLE_VALUE;
}

BOOL HostPlatform::ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read,
                            void* overlapped) {
  if (read) *read = 0;
  const std::shared_ptr<HostFile> open = state_->FindFile(file);
  const DWORD refusal = !open                            ? ERROR_INVALID_HANDLE
                        : overlapped                     ? ERROR_INVALID_PARAMETER
                        : !(open->access & GENERIC_READ) ? ERROR_ACCESS_DENIED
                                                         : ERROR_SUCCESS;
  if (refusal != ERROR_SUCCESS) {
    SetLastError(refusal);
    return FALSE;
  }
  DWORD done = 0;
  while (done < toRead) {
    const ssize_t count =
        ::read(open->descriptor, static_cast<char*>(buffer) + done, toRead - done);
    if (count == 0) break;
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      if (read) *read = done;
      SetLastError(ErrorFromErrno(errno, ERROR_READ_FAULT));
      return FALSE;
    }
    done += static_cast<DWORD>(count);
  }
  if (read) *read = done;
  return TRUE;
}

BOOL HostPlatform::WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* written,
                             void* overlapped) {
  if (written) *written = 0;
  const std::shared_ptr<HostFile> open = state_->FindFile(file);
  const DWORD refusal = !open                             ? ERROR_INVALID_HANDLE
                        : overlapped                      ? ERROR_INVALID_PARAMETER
                        : !(open->access & GENERIC_WRITE) ? ERROR_ACCESS_DENIED
                                                          : ERROR_SUCCESS;
  if (refusal != ERROR_SUCCESS) {
    SetLastError(refusal);
    return FALSE;
  }
  DWORD done = 0;
  while (done < toWrite) {
    const ssize_t count =
        ::write(open->descriptor, static_cast<const char*>(buffer) + done, toWrite - done);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      if (written) *written = done;
      SetLastError(count < 0 ? ErrorFromErrno(errno, ERROR_WRITE_FAULT) : ERROR_DISK_FULL);
      return FALSE;
    }
    done += static_cast<DWORD>(count);
  }
  if (written) *written = done;
  return TRUE;
}

DWORD HostPlatform::SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method) {
  // Without a high part the distance is a signed 32-bit value.
  const std::int64_t move =
      distanceHigh ? static_cast<std::int64_t>(
                         static_cast<std::uint64_t>(static_cast<DWORD>(*distanceHigh)) << 32 |
                         static_cast<DWORD>(distance))
                   : distance;
  const std::shared_ptr<HostFile> open = state_->FindFile(file);
  if (!open || method > FILE_END) {
    SetLastError(open ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return INVALID_SET_FILE_POINTER;
  }
  struct stat status;
  ::fstat(open->descriptor, &status);
  const std::int64_t bases[] = {0, ::lseek(open->descriptor, 0, SEEK_CUR), status.st_size};
  const std::int64_t target = bases[method] + move;
  DWORD refusal = ERROR_SUCCESS;
  if (target < 0) {
    refusal = ERROR_NEGATIVE_SEEK;
  } else if (!distanceHigh && target > 0xFFFFFFFFll) {
    refusal = ERROR_INVALID_PARAMETER;  // the position would not fit the result
  } else if (::lseek(open->descriptor, target, SEEK_SET) < 0) {
    refusal = ErrorFromErrno(errno);
  }
  if (refusal != ERROR_SUCCESS) {
    SetLastError(refusal);
    return INVALID_SET_FILE_POINTER;
  }
  if (distanceHigh) *distanceHigh = static_cast<LONG>(target >> 32);
  const DWORD low = static_cast<DWORD>(target);
  // A low part that looks like the failure value is told apart by a cleared last error.
  if (low == INVALID_SET_FILE_POINTER) SetLastError(ERROR_SUCCESS);
  return low;
}

DWORD HostPlatform::GetFileSize(HANDLE file, DWORD* sizeHigh) {
  const std::shared_ptr<HostFile> open = state_->FindFile(file);
  struct stat status;
  if (!open || ::fstat(open->descriptor, &status) != 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return INVALID_FILE_SIZE;
  }
  const auto size = static_cast<std::uint64_t>(status.st_size);
  if (sizeHigh) *sizeHigh = static_cast<DWORD>(size >> 32);
  const DWORD low = static_cast<DWORD>(size);
  if (low == INVALID_FILE_SIZE) SetLastError(ERROR_SUCCESS);
  return low;
}

// Only files: registry keys are closed with RegCloseKey, modules with FreeLibrary.
BOOL HostPlatform::CloseHandle(HANDLE handle) {
  std::shared_ptr<HostFile> closing;
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    const auto found = state_->files.find(reinterpret_cast<std::uintptr_t>(handle));
    if (found != state_->files.end()) {
      closing = std::move(found->second);
      state_->files.erase(found);
    }
  }
  if (!closing) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

BOOL HostPlatform::DeleteFileA(const char* name) {
  if (!name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::u16string wide = AnsiToWide(name);
  return DeleteFileW(wide.c_str());
}

BOOL HostPlatform::DeleteFileW(const char16_t* name) {
  if (!name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::u16string copied(name);
  const DWORD result = state_->DeleteFile(copied);
  if (result != ERROR_SUCCESS) SetLastError(result);
  return result == ERROR_SUCCESS;
}

DWORD HostPlatform::GetFileAttributesW(const char16_t* name) {
  if (!name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_FILE_ATTRIBUTES;
  }
  const std::u16string copied(name);
  MappedPath path;
  DWORD error = state_->Map(copied, path);
  const HostEntry entry = error ? HostEntry{} : InspectHostPath(path.host);
  if (!error && !entry.exists) error = MissingNameError(path.host);
  // A trailing separator may follow a folder's name only.
  if (!error && !entry.directory && path.windows.trailingSeparator) error = ERROR_INVALID_NAME;
  if (error) {
    SetLastError(error);
    return INVALID_FILE_ATTRIBUTES;
  }
  if (entry.directory) return FILE_ATTRIBUTE_DIRECTORY;
  return FILE_ATTRIBUTE_ARCHIVE | (entry.readOnly ? FILE_ATTRIBUTE_READONLY : 0);
}

}  // namespace spoolhook
