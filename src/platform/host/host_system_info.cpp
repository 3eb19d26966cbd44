// The clock, the system version and the account and computer names.
#include <chrono>
#include <cstring>
#include <ctime>

#include "platform/host/host_platform_state.h"

namespace spoolhook {
namespace {

constexpr DWORD kBuildNumber = 7601;

SYSTEMTIME ClockTime(bool local) {
  const auto sinceEpoch = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::system_clock::now().time_since_epoch());
  const std::time_t seconds = static_cast<std::time_t>(sinceEpoch.count() / 1000);
  std::tm parts{};
  if (local) {
    ::localtime_r(&seconds, &parts);
  } else {
    ::gmtime_r(&seconds, &parts);
  }
  // A leap second shows as the last second of its minute, as Windows has none.
  return SYSTEMTIME{static_cast<WORD>(parts.tm_year + 1900),
                    static_cast<WORD>(parts.tm_mon + 1),
                    static_cast<WORD>(parts.tm_wday),
                    static_cast<WORD>(parts.tm_mday),
                    static_cast<WORD>(parts.tm_hour),
                    static_cast<WORD>(parts.tm_min),
                    static_cast<WORD>(parts.tm_sec > 59 ? 59 : parts.tm_sec),
                    static_cast<WORD>(sinceEpoch.count() % 1000)};
}

void CopyName(const std::u16string& name, char16_t* buffer) {
  std::memcpy(buffer, name.c_str(), (name.size() + 1) * sizeof(char16_t));
}

}  // namespace

void HostPlatform::GetSystemTime(SYSTEMTIME* time) {
  *time = state_->config.frozenTime ? *state_->config.frozenTime : ClockTime(false);
}

void HostPlatform::GetLocalTime(SYSTEMTIME* time) {
  *time = state_->config.frozenTime ? *state_->config.frozenTime : ClockTime(true);
}

DWORD HostPlatform::GetVersion() {
  const HostMachineConfig& config = state_->config;
  return (config.osMajor & 0xFFu) | (config.osMinor & 0xFFu) << 8 | kBuildNumber << 16;
}

// The size counts the terminator both ways.
BOOL HostPlatform::GetUserNameW(char16_t* buffer, DWORD* size) {
  if (!size) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::u16string& name = state_->config.account;
  const DWORD needed = static_cast<DWORD>(name.size() + 1);
  if (*size < needed) {
    *size = needed;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  CopyName(name, buffer);
  *size = needed;
  return TRUE;
}

// The size counts the terminator going in and on overflow, not on success.
BOOL HostPlatform::GetComputerNameW(char16_t* buffer, DWORD* size) {
  if (!size) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::u16string& name = state_->config.computer;
  const DWORD length = static_cast<DWORD>(name.size());
  if (*size < length + 1) {
    *size = length + 1;
    SetLastError(ERROR_BUFFER_OVERFLOW);
    return FALSE;
  }
  CopyName(name, buffer);
  *size = length;
  return TRUE;
}

}  // namespace spoolhook
