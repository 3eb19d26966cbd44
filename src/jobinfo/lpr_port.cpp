#include "jobinfo/lpr_port.h"

#include <string_view>

#include "engine/output_sink.h"
#include "engine/slots.h"
#include "jobinfo/driver_block.h"
#include "platform/platform.h"

namespace spoolhook {
namespace {

constexpr std::u16string_view kLprPortsKey =
    u"System\\CurrentControlSet\\control\\Print\\Monitors\\LPR Port\\Ports\\";
constexpr DWORD kPrinterInfoLevel = 2;

// Whether the key of `port` exists under the LPR monitor's ports.
bool IsRegisteredLprPort(const char16_t* port) {
  char16_t* path = nullptr;
  const std::size_t portLength = WideLength(port);
  bool registered = false;
  if (MemAlloc(&path, (kLprPortsKey.size() + portLength) * 2 + 8)) {
    kLprPortsKey.copy(path, kLprPortsKey.size());
    for (std::size_t i = 0; i < portLength; ++i) path[kLprPortsKey.size() + i] = port[i];
    HKEY key = nullptr;
    if (Os().RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) == ERROR_SUCCESS) {
      registered = true;
      Os().RegCloseKey(key);
    }
  }
  MemFree(&path);
  return registered;
}

}  // namespace

bool PortIsNotLpr(JobContext* job) {
  const HANDLE printer = GetDriverBlock(job)->PrinterHandle;
  DWORD needed = 0;
  Os().GetPrinterW(printer, kPrinterInfoLevel, nullptr, 0, &needed);
  if (needed < sizeof(PRINTER_INFO_2W)) return true;
  BYTE* block = nullptr;
  bool lpr = false;
  if (MemAlloc(&block, needed) &&
      Os().GetPrinterW(printer, kPrinterInfoLevel, block, needed, &needed)) {
    const char16_t* port = reinterpret_cast<const PRINTER_INFO_2W*>(block)->pPortName;
    // Without a port name the path would name the ports key itself.
    lpr = port && port[0] && IsRegisteredLprPort(port);
  }
  MemFree(&block);
  return !lpr;
}

BOOL WriteZerosUnlessLpr(JobContext* job, DWORD count) {
  static constexpr BYTE kZeros[kMaxNonLprZeroBytes] = {};
  if (count > sizeof kZeros || !PortIsNotLpr(job)) return TRUE;
  DWORD written = 0;
  return WriteDirect(job, kZeros, count, &written);
}

}  // namespace spoolhook
