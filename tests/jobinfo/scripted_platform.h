// A platform in front of the test machine's that changes what a few calls answer, the same
// on the host and under Windows: the clock, the account name, and the job's names as Wine's
// spooler gives them (none). Installed for its lifetime.
#pragma once

#include <optional>
#include <string>

#include "platform/forwarding_platform.h"

namespace spoolhook::testing {

class ScriptedPlatform : public ForwardingPlatform {
 public:
  ScriptedPlatform() : ForwardingPlatform(Os()), previous_(SetPlatform(this)) {}
  ~ScriptedPlatform() override { SetPlatform(previous_); }

  std::optional<SYSTEMTIME> systemTime;
  std::optional<std::u16string> account;
  bool jobNamesMissing = false;  // GetJobW gives no pUserName and no pMachineName

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
  Platform* previous_;
};

}  // namespace spoolhook::testing
