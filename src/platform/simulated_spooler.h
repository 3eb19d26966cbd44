// The print spooler as the library sees it, simulated in front of another platform: one
// printer whose port collects every byte handed to WritePrinter, the driver information of
// GetPrinterDriverW, one job for GetJobW and the printer information of GetPrinterW, all at
// level 2 with the buffer-size protocol of the real calls. Every other call passes through.
#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "platform/forwarding_platform.h"

namespace spoolhook {

struct SimulatedSpoolerConfig {
  std::u16string printerName = u"ZEMT4";
  std::u16string driverName = u"ZEMT4";
  // pDriverPath of the driver information; the library's driver directory is its folder.
  std::u16string driverPath = u"C:\\DRIVERS\\ZEMT4.DLL";
  bool driverInfoAvailable = true;  // false: GetPrinterDriverW fails
  DWORD jobId = 1;
  std::u16string jobUser = u"user";
  std::u16string jobMachine = u"\\\\WS01";
  std::u16string jobDocument = u"document";
  // Year of the job's submission time; none takes the clock's year.
  std::optional<WORD> jobYear;
  bool jobInfoAvailable = true;  // false: GetJobW fails
  std::u16string portName = u"LPT1:";
};

class SimulatedSpoolerPlatform : public ForwardingPlatform {
 public:
  // `port` receives the bytes of every WritePrinter call in order; without one they are
  // collected and can be read with PortBytes().
  SimulatedSpoolerPlatform(Platform& inner, SimulatedSpoolerConfig config,
                           std::function<void(const void* bytes, DWORD count)> port = {});

  // The handle of the simulated printer.
  HANDLE printer();
  const SimulatedSpoolerConfig& config() const { return config_; }
  // The collected port bytes (when no port function was given).
  std::string PortBytes() const;

  BOOL WritePrinter(HANDLE printer, const void* buffer, DWORD count, DWORD* written) override;
  BOOL GetPrinterDriverW(HANDLE printer, const char16_t* environment, DWORD level, BYTE* driverInfo,
                         DWORD size, DWORD* needed) override;
  BOOL GetJobW(HANDLE printer, DWORD jobId, DWORD level, BYTE* job, DWORD size,
               DWORD* needed) override;
  BOOL GetPrinterW(HANDLE printer, DWORD level, BYTE* printerInfo, DWORD size,
                   DWORD* needed) override;

 private:
  SimulatedSpoolerConfig config_;
  std::function<void(const void*, DWORD)> port_;
  mutable std::mutex mutex_;
  std::string collected_;
};

}  // namespace spoolhook
