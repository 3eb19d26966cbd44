// A platform in front of the test machine's that changes what a few calls answer, the same
// on the host and under Windows: the clock, the account and computer names, the job's names
// as Wine's spooler gives them (none), a double-byte ANSI code page, and which registry keys
// exist. Installed for its lifetime.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/forwarding_platform.h"

namespace spoolhook::testing {

class ScriptedPlatform : public ForwardingPlatform {
 public:
  ScriptedPlatform() : ForwardingPlatform(Os()), previous_(SetPlatform(this)) {}
  ~ScriptedPlatform() override { SetPlatform(previous_); }

  std::optional<SYSTEMTIME> systemTime;
  std::optional<std::u16string> account;
  std::optional<std::u16string> computer;
  bool jobNamesMissing = false;  // GetJobW gives no pUserName and no pMachineName
  // WideCharToMultiByte as a double-byte code page: every unit above 0x7F becomes the lead
  // byte 0x82 and a trail byte; like Windows, it fails when the destination is too small.
  bool doubleByteAnsi = false;
  // When set, the only keys under HKEY_LOCAL_MACHINE that RegOpenKeyExW opens.
  std::optional<std::vector<std::u16string>> registryKeys;
  // Every key path RegOpenKeyExW was asked for, and how many opened keys are not closed.
  std::vector<std::u16string> keysAskedFor;
  int keysOpen = 0;

  void GetSystemTime(SYSTEMTIME* time) override {
    if (systemTime) {
      *time = *systemTime;
    } else {
      inner().GetSystemTime(time);
    }
  }

  BOOL GetUserNameW(char16_t* buffer, DWORD* size) override {
    if (!account) return inner().GetUserNameW(buffer, size);
    const DWORD needed = static_cast<DWORD>(account->size() + 1);
    if (*size < needed) {
      *size = needed;
      inner().SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return FALSE;
    }
    account->copy(buffer, account->size());
    buffer[account->size()] = u'\0';
    *size = needed;
    return TRUE;
  }

  BOOL GetComputerNameW(char16_t* buffer, DWORD* size) override {
    if (!computer) return inner().GetComputerNameW(buffer, size);
    if (*size < computer->size() + 1) {
      *size = static_cast<DWORD>(computer->size() + 1);
      inner().SetLastError(ERROR_BUFFER_OVERFLOW);
      return FALSE;
    }
    computer->copy(buffer, computer->size());
    buffer[computer->size()] = u'\0';
    *size = static_cast<DWORD>(computer->size());
    return TRUE;
  }

  int WideCharToMultiByte(UINT codePage, DWORD flags, const char16_t* wide, int wideCount,
                          char* multiByte, int multiByteSize, const char* defaultChar,
                          BOOL* usedDefaultChar) override {
    if (!doubleByteAnsi || wideCount != -1) {
      return inner().WideCharToMultiByte(codePage, flags, wide, wideCount, multiByte, multiByteSize,
                                         defaultChar, usedDefaultChar);
    }
    std::string bytes;
    for (const char16_t* unit = wide;; ++unit) {
      if (*unit > 0x7F) {
        bytes += {'\x82', static_cast<char>(0x9F + (*unit & 0x3F))};
      } else {
        bytes += static_cast<char>(*unit);
      }
      if (*unit == u'\0') break;
    }
    if (multiByteSize == 0) return static_cast<int>(bytes.size());
    if (bytes.size() > std::size_t(multiByteSize)) {
      inner().SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    bytes.copy(multiByte, bytes.size());
    return static_cast<int>(bytes.size());
  }

  LONG RegOpenKeyExW(HKEY key, const char16_t* subKey, DWORD options, REGSAM access,
                     HKEY* result) override {
    keysAskedFor.push_back(subKey ? subKey : u"");
    if (!registryKeys) return inner().RegOpenKeyExW(key, subKey, options, access, result);
    for (const std::u16string& listed : *registryKeys) {
      if (key == HKEY_LOCAL_MACHINE && listed == keysAskedFor.back()) {
        ++keysOpen;
        *result = kScriptedKey;
        return ERROR_SUCCESS;
      }
    }
    return ERROR_FILE_NOT_FOUND;
  }

  LONG RegCloseKey(HKEY key) override {
    if (key != kScriptedKey) return inner().RegCloseKey(key);
    --keysOpen;
    return ERROR_SUCCESS;
  }

  BOOL GetJobW(HANDLE printer, DWORD jobId, DWORD level, BYTE* job, DWORD size,
               DWORD* needed) override {
    const BOOL result = inner().GetJobW(printer, jobId, level, job, size, needed);
    if (result && jobNamesMissing) {
      auto* info = reinterpret_cast<JOB_INFO_2W*>(job);
      info->pUserName = nullptr;
      info->pMachineName = nullptr;
    }
    return result;
  }

 private:
  static inline const HKEY kScriptedKey = reinterpret_cast<HKEY>(std::uintptr_t{0x5C000001u});
  Platform* previous_;
};

}  // namespace spoolhook::testing
