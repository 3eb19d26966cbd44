// Plays a record stream through a built spoolhook.dll inside Wine's own print spooler, the
// way the spooler drives its driver's hook library: a printer with Wine's PostScript driver
// prints to a file, a RAW document is started on it, and the library gets the real printer
// handle and job id, so that its GetPrinterDriverW, GetJobW and WritePrinter are Wine's.
//
//   wine_spooler_job DLL STREAM OUTPUT LOG   (Windows paths)
//
// The printer's output file then holds what the library sent, and LOG the calls in the
// format of `spoolhook play --log`. Exit status 0 when the job ran
// to its end, 1 when the printer or the library could not be set up, 2 for a malformed
// stream, 3 when DrvSplStartDoc returned no job.
#include <cstdio>
#include <string>
#include <vector>

#include "frame_player.h"
#include "platform/win32/win32_api.h"
#include "play_log.h"
#include "record_stream.h"
#include "win32/built_library.h"

namespace spoolhook {
namespace {

// The spooler calls, declared from their documented signatures.
struct DRIVER_INFO_3W {
  DWORD cVersion;
  const char16_t* pName;
  const char16_t* pEnvironment;
  const char16_t* pDriverPath;
  const char16_t* pDataFile;
  const char16_t* pConfigFile;
  const char16_t* pHelpFile;
  const char16_t* pDependentFiles;
  const char16_t* pMonitorName;
  const char16_t* pDefaultDataType;
};
struct DOC_INFO_1W {
  const char16_t* pDocName;
  const char16_t* pOutputFile;
  const char16_t* pDatatype;
};
struct PRINTER_DEFAULTSW {
  const char16_t* pDatatype;
  void* pDevMode;
  DWORD DesiredAccess;
};
SPOOLHOOK_SYSTEM_API BOOL WINAPI AddPrinterDriverW(const char16_t* server, DWORD level,
                                                   DRIVER_INFO_3W* info);
SPOOLHOOK_SYSTEM_API HANDLE WINAPI AddPrinterW(const char16_t* server, DWORD level,
                                               PRINTER_INFO_2W* info);
SPOOLHOOK_SYSTEM_API BOOL WINAPI OpenPrinterW(const char16_t* name, HANDLE* printer,
                                              PRINTER_DEFAULTSW* defaults);
SPOOLHOOK_SYSTEM_API BOOL WINAPI DeletePrinter(HANDLE printer);
SPOOLHOOK_SYSTEM_API BOOL WINAPI ClosePrinter(HANDLE printer);
SPOOLHOOK_SYSTEM_API DWORD WINAPI StartDocPrinterW(HANDLE printer, DWORD level, DOC_INFO_1W* info);
SPOOLHOOK_SYSTEM_API BOOL WINAPI EndDocPrinter(HANDLE printer);

constexpr DWORD PRINTER_ALL_ACCESS = 0x000F000C;
constexpr DWORD ERROR_PRINTER_DRIVER_ALREADY_INSTALLED = 1795;

constexpr char16_t kPrinterName[] = u"spoolhook Wine spooler test";
constexpr char16_t kDriverName[] = u"Wine PostScript Driver";

int Fail(int status, const char* what) {
  std::fprintf(stderr, "wine_spooler_job: %s (error %lu)\n", what,
               static_cast<unsigned long>(win32::GetLastError()));
  return status;
}

std::u16string Wide(const char* text) {
  std::vector<char16_t> wide(std::string(text).size() + 1);
  win32::MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), static_cast<int>(wide.size()));
  return wide.data();
}

// Wine's PostScript driver, its one file serving as driver, data and configuration file: a
// RAW job makes no device context, so no page description is read.
bool InstallDriver() {
  DRIVER_INFO_3W driver = {};
  driver.cVersion = 3;
  driver.pName = kDriverName;
  driver.pDriverPath = u"wineps.drv";
  driver.pDataFile = u"wineps.drv";
  driver.pConfigFile = u"wineps.drv";
  return AddPrinterDriverW(nullptr, 3, &driver) ||
         win32::GetLastError() == ERROR_PRINTER_DRIVER_ALREADY_INSTALLED;
}

// Removes the test's printer, left over from an earlier run or made by this one.
void DeleteTestPrinter() {
  PRINTER_DEFAULTSW admin = {nullptr, nullptr, PRINTER_ALL_ACCESS};
  HANDLE printer = nullptr;
  if (!OpenPrinterW(kPrinterName, &printer, &admin)) return;
  DeletePrinter(printer);
  ClosePrinter(printer);
}

// A printer on the FILE: port: each document goes to the output file it names.
bool AddTestPrinter() {
  PRINTER_INFO_2W info = {};
  info.pPrinterName = const_cast<char16_t*>(kPrinterName);
  info.pPortName = const_cast<char16_t*>(u"FILE:");
  info.pDriverName = const_cast<char16_t*>(kDriverName);
  info.pPrintProcessor = const_cast<char16_t*>(u"winprint");
  info.pDatatype = const_cast<char16_t*>(u"RAW");
  HANDLE printer = AddPrinterW(nullptr, 2, &info);
  if (printer) ClosePrinter(printer);
  return printer != nullptr;
}

int Run(const char* libraryPath, const char* streamPath, const char* outputPath,
        const char* logPath) {
  std::string stream;
  std::string error;
  std::vector<play::Frame> frames;
  play::StreamFault fault;
  if (!play::ReadStreamInput(streamPath, stream, error)) return Fail(1, error.c_str());
  if (!play::ParseRecordStream(stream, frames, fault)) return Fail(2, fault.reason.c_str());
  std::FILE* logFile = std::fopen(logPath, "wb");
  if (!logFile) return Fail(1, "cannot create the log");
  play::PlayLog log(logFile);

  if (!InstallDriver()) return Fail(1, "cannot install Wine's PostScript driver");
  DeleteTestPrinter();
  if (!AddTestPrinter()) return Fail(1, "cannot add the printer");
  HANDLE printer = nullptr;
  if (!OpenPrinterW(kPrinterName, &printer, nullptr)) return Fail(1, "cannot open the printer");
  const std::u16string output = Wide(outputPath);
  DOC_INFO_1W document = {u"spoolhook job", output.c_str(), u"RAW"};
  const DWORD jobId = StartDocPrinterW(printer, 1, &document);
  if (jobId == 0) return Fail(1, "cannot start the document");

  int status = 0;
  {
    testing::BuiltLibrary library(Wide(libraryPath));
    HANDLE job = library.loaded() ? library.exports().startDoc(printer, jobId) : nullptr;
    if (!library.loaded()) {
      status = Fail(1, "cannot load the library and its exports");
    } else if (!job) {
      status = Fail(3, "DrvSplStartDoc returned no job");
    } else {
      play::PlayFrames(library.exports(), job, frames, log);
    }
  }
  if (!EndDocPrinter(printer) && status == 0) status = Fail(1, "cannot end the document");
  ClosePrinter(printer);
  DeleteTestPrinter();
  if ((std::fclose(logFile) != 0 || !log.ok()) && status == 0)
    status = Fail(1, "cannot write the log");
  return status;
}

}  // namespace
}  // namespace spoolhook

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: wine_spooler_job DLL STREAM OUTPUT LOG\n");
    return 2;
  }
  return spoolhook::Run(argv[1], argv[2], argv[3], argv[4]);
}
