#include "platform/simulated_spooler.h"

#include <cstring>
#include <initializer_list>
#include <string_view>
#include <utility>

namespace spoolhook {
namespace {

constexpr std::u16string_view kDefaultEnvironment = u"Windows NT x86";

BOOL Fail(Platform& os, DWORD error) {
  os.SetLastError(error);
  return FALSE;
}

// The first checks of every info call: the handle of our printer, and level 2, the only one
// served.
bool AcceptRequest(Platform& os, bool ownPrinter, DWORD level) {
  if (!ownPrinter) return Fail(os, ERROR_INVALID_HANDLE);
  if (level != 2) return Fail(os, ERROR_INVALID_LEVEL);
  return true;
}

// One string of an info structure: the member that points at it and its text.
template <class Info>
struct InfoString {
  char16_t* Info::*member;
  std::u16string_view text;
};

// Lays `info` out at the start of the caller's buffer with its strings behind it, the
// members pointing into the buffer, as the spooler does; a missing or too small buffer only
// learns the size needed. The buffer need not be aligned: everything is copied in bytewise.
template <class Info>
BOOL PlaceInfo(Platform& os, Info info, std::initializer_list<InfoString<Info>> strings,
               BYTE* buffer, DWORD size, DWORD* needed) {
  if (!needed) return Fail(os, ERROR_INVALID_PARAMETER);
  std::size_t total = sizeof(Info);
  for (const InfoString<Info>& string : strings) {
    total += (string.text.size() + 1) * sizeof(char16_t);
  }
  *needed = static_cast<DWORD>(total);
  if (!buffer || size < total) return Fail(os, ERROR_INSUFFICIENT_BUFFER);

  BYTE* place = buffer + sizeof(Info);
  for (const InfoString<Info>& string : strings) {
    const std::size_t textBytes = string.text.size() * sizeof(char16_t);
    std::memcpy(place, string.text.data(), textBytes);
    std::memset(place + textBytes, 0, sizeof(char16_t));
    info.*string.member = reinterpret_cast<char16_t*>(place);
    place += textBytes + sizeof(char16_t);
  }
  std::memcpy(buffer, &info, sizeof info);
  return TRUE;
}

// The folder of a Windows path with its trailing backslash; empty for a bare name.
std::u16string FolderOf(const std::u16string& path) {
  const std::size_t slash = path.rfind(u'\\');
  return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash + 1);
}

}  // namespace

SimulatedSpoolerPlatform::SimulatedSpoolerPlatform(
    Platform& inner, SimulatedSpoolerConfig config,
    std::function<void(const void* bytes, DWORD count)> port)
    : ForwardingPlatform(inner), config_(std::move(config)), port_(std::move(port)) {}

// The printer is this object: unique, non-null and valid exactly as long as the spooler.
HANDLE SimulatedSpoolerPlatform::printer() { return static_cast<HANDLE>(this); }

std::string SimulatedSpoolerPlatform::PortBytes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return collected_;
}

BOOL SimulatedSpoolerPlatform::WritePrinter(HANDLE printer, const void* buffer, DWORD count,
                                            DWORD* written) {
  if (printer != this) {
    if (written) *written = 0;
    return Fail(inner(), ERROR_INVALID_HANDLE);
  }
  if (!written || (!buffer && count > 0)) {
    if (written) *written = 0;
    return Fail(inner(), ERROR_INVALID_PARAMETER);
  }
  // The caller's buffer is copied before the lock is taken: reading it may fault, and a
  // fault that jumps out of this call must not leave the mutex held.
  const std::string bytes(static_cast<const char*>(buffer), count);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (port_) {
      if (count > 0) port_(bytes.data(), count);
    } else {
      collected_ += bytes;
    }
  }
  *written = count;
  return TRUE;
}

BOOL SimulatedSpoolerPlatform::GetPrinterDriverW(HANDLE printer, const char16_t* environment,
                                                 DWORD level, BYTE* driverInfo, DWORD size,
                                                 DWORD* needed) {
  if (!AcceptRequest(inner(), printer == this, level)) return FALSE;
  if (!config_.driverInfoAvailable) return Fail(inner(), ERROR_UNKNOWN_PRINTER_DRIVER);

  const std::u16string folder = FolderOf(config_.driverPath);
  const std::u16string dataFile = folder + config_.driverName + u".PPD";
  const std::u16string configFile = folder + config_.driverName + u"UI.DLL";
  DRIVER_INFO_2W info{};
  info.cVersion = 3;
  return PlaceInfo<DRIVER_INFO_2W>(
      inner(), info,
      {{&DRIVER_INFO_2W::pName, config_.driverName},
       {&DRIVER_INFO_2W::pEnvironment,
        environment ? std::u16string_view(environment) : kDefaultEnvironment},
       {&DRIVER_INFO_2W::pDriverPath, config_.driverPath},
       {&DRIVER_INFO_2W::pDataFile, dataFile},
       {&DRIVER_INFO_2W::pConfigFile, configFile}},
      driverInfo, size, needed);
}

BOOL SimulatedSpoolerPlatform::GetJobW(HANDLE printer, DWORD jobId, DWORD level, BYTE* job,
                                       DWORD size, DWORD* needed) {
  if (!AcceptRequest(inner(), printer == this, level)) return FALSE;
  if (!config_.jobInfoAvailable || jobId != config_.jobId) {
    return Fail(inner(), ERROR_INVALID_PARAMETER);
  }

  JOB_INFO_2W info{};
  info.JobId = config_.jobId;
  info.Priority = 1;
  info.Position = 1;
  inner().GetSystemTime(&info.Submitted);
  if (config_.jobYear) info.Submitted.wYear = *config_.jobYear;
  return PlaceInfo<JOB_INFO_2W>(inner(), info,
                                {{&JOB_INFO_2W::pPrinterName, config_.printerName},
                                 {&JOB_INFO_2W::pMachineName, config_.jobMachine},
                                 {&JOB_INFO_2W::pUserName, config_.jobUser},
                                 {&JOB_INFO_2W::pDocument, config_.jobDocument},
                                 {&JOB_INFO_2W::pNotifyName, config_.jobUser},
                                 {&JOB_INFO_2W::pDatatype, u"RAW"},
                                 {&JOB_INFO_2W::pDriverName, config_.driverName}},
                                job, size, needed);
}

BOOL SimulatedSpoolerPlatform::GetPrinterW(HANDLE printer, DWORD level, BYTE* printerInfo,
                                           DWORD size, DWORD* needed) {
  if (!AcceptRequest(inner(), printer == this, level)) return FALSE;

  PRINTER_INFO_2W info{};
  info.Priority = 1;
  info.DefaultPriority = 1;
  return PlaceInfo<PRINTER_INFO_2W>(inner(), info,
                                    {{&PRINTER_INFO_2W::pPrinterName, config_.printerName},
                                     {&PRINTER_INFO_2W::pPortName, config_.portName},
                                     {&PRINTER_INFO_2W::pDriverName, config_.driverName},
                                     {&PRINTER_INFO_2W::pDatatype, u"RAW"}},
                                    printerInfo, size, needed);
}

}  // namespace spoolhook
