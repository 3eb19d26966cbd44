// The command line of `spoolhook play`.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

namespace spoolhook::play {

// One --fail or --short rule: the n-th call of a platform function (0: every call).
struct CallRule {
  std::string call;
  unsigned n = 0;
};

struct PlayOptions {
  std::string stream;  // "-" for standard input
  std::optional<std::string> port;
  std::optional<std::string> log;
  std::optional<std::string> root;
  std::string temp = "C:\\TEMP\\";  // ANSI (Windows-1252), as GetTempPathA returns it
  std::u16string driverPath = u"C:\\DRIVERS\\ZEMT4.DLL";
  bool driverInfo = true;
  DWORD jobId = 1;
  std::u16string jobUser = u"user";
  std::u16string jobMachine = u"\\\\WS01";
  std::optional<WORD> jobYear;
  bool jobInfo = true;
  std::u16string account = u"SYSTEM";
  std::u16string computer = u"PRINTSRV";
  std::u16string printerPort = u"LPT1:";
  std::vector<std::u16string> lprPorts;
  std::optional<SYSTEMTIME> time;
  WORD osMajor = 6;
  WORD osMinor = 1;
  std::optional<ULONGLONG> diskFree;
  bool netapi = true;
  std::vector<CallRule> fails;
  std::vector<CallRule> shorts;
};

enum class PlayAction { kRun, kHelp, kVersion };

// Reads the arguments after "play"; false with a message for bad usage.
bool ParsePlayOptions(const std::vector<std::string_view>& args, PlayAction& action,
                      PlayOptions& options, std::string& error);

// The usage text of --help.
std::string_view PlayUsage();

}  // namespace spoolhook::play
