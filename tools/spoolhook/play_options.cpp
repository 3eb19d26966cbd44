#include "play_options.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <climits>

#include "platform/fault_injecting_platform.h"
#include "platform/host/code_page_1252.h"
#include "platform/host/host_text.h"

namespace spoolhook::play {
namespace {

constexpr std::string_view kUsage =
    R"(Usage: spoolhook play [OPTIONS] STREAM

Plays one job through the library as the print spooler would, on a simulated Windows
machine, and writes what the printer port received. STREAM is a record stream file; "-"
reads standard input.

Output:
  --port FILE             the port's bytes go to FILE (default: standard output)
  --log FILE              event log, JSON Lines (default: none)
The simulated machine:
  --root DIR              its file system: C:\A is DIR/C/A, \\S\SH\A is DIR/UNC/S/SH/A
                          (default: a fresh temporary directory, removed at the end)
  --temp PATH             what GetTempPathA returns (default: C:\TEMP\)
  --account NAME          what GetUserNameW returns (default: SYSTEM)
  --computer NAME         what GetComputerNameW returns (default: PRINTSRV)
  --time T                freezes the clock at YYYY-MM-DDTHH:MM:SS.mmm (default: real clock)
  --os-version MAJ.MIN    the version GetVersion reports (default: 6.1)
  --disk-free N           free clusters the disk-space calls report; 0: the disk is full
                          (default: measured from the host directory)
  --no-netapi             loading NETAPI32.Dll fails, so no pop-up can be sent
  --lpr-port NAME         registers NAME as a port of the LPR port monitor (repeatable)
The simulated spooler:
  --driver-path PATH      pDriverPath of the driver information (default: C:\DRIVERS\ZEMT4.DLL)
  --no-driver-info        GetPrinterDriverW fails
  --job-id N              the job id given to DrvSplStartDoc (default: 1)
  --job-user NAME         pUserName of the job (default: user)
  --job-machine NAME      pMachineName of the job (default: \\WS01)
  --job-year N            year of the job's submission time (default: the clock's year)
  --no-job-info           GetJobW fails
  --printer-port NAME     pPortName of the printer (default: LPT1:)
Faults:
  --fail CALL[@N]         the N-th call (from 1) of platform function CALL fails as the real
                          one would; without @N every call fails (repeatable)
  --short CALL@N          the N-th call of WriteFile or ReadFile transfers one byte fewer
                          and reports success (repeatable)
  --help, --version

Exit status: 0 the job ran to its end, 1 the tool could not set up the run or write its
output, 2 bad usage or a malformed stream (nothing called), 3 DrvSplStartDoc returned no job.
)";

constexpr std::uint32_t kDwordMax = 0xFFFFFFFFu;
constexpr unsigned kFirstSystemYear = 1601;  // the range SYSTEMTIME can hold
constexpr unsigned kLastSystemYear = 30827;

bool Bad(std::string& error, std::string message) {
  error = std::move(message);
  return false;
}

std::string Quoted(std::string_view value) { return "'" + std::string(value) + "'"; }

// A decimal number without sign or spaces, at most `max`.
bool ParseNumber(std::string_view text, unsigned long long max, unsigned long long& value) {
  const char* end = text.data() + text.size();
  const auto [stop, failure] = std::from_chars(text.data(), end, value);
  return !text.empty() && failure == std::errc() && stop == end && value <= max;
}

template <class Number>
bool SetNumber(std::string_view text, unsigned long long min, unsigned long long max,
               Number& target, std::string& error) {
  unsigned long long value = 0;
  if (!ParseNumber(text, max, value) || value < min) {
    return Bad(error, Quoted(text) + " is not a number from " + std::to_string(min) + " to " +
                          std::to_string(max));
  }
  target = static_cast<Number>(value);
  return true;
}

bool SetText(std::string_view text, std::u16string& target, std::string& error) {
  std::optional<std::u16string> wide = Utf8ToUtf16(text);
  if (!wide) return Bad(error, Quoted(text) + " is not valid UTF-8");
  target = std::move(*wide);
  return true;
}

bool SetNonEmptyText(std::string_view text, std::u16string& target, std::string& error) {
  if (text.empty()) return Bad(error, "the value must not be empty");
  return SetText(text, target, error);
}

bool SetPath(std::string_view text, std::optional<std::string>& target, std::string& error) {
  if (text.empty()) return Bad(error, "the value must not be empty");
  target = std::string(text);
  return true;
}

// The simulated machine's ANSI texts are Windows-1252.
bool SetAnsiText(std::string_view text, std::string& target, std::string& error) {
  std::u16string wide;
  if (!SetNonEmptyText(text, wide, error)) return false;
  std::string ansi;
  for (char16_t unit : wide) {
    const std::optional<unsigned char> byte = UnitToCp1252(unit);
    if (!byte) return Bad(error, Quoted(text) + " has a character outside Windows-1252");
    ansi += static_cast<char>(*byte);
  }
  target = std::move(ansi);
  return true;
}

// YYYY-MM-DDTHH:MM:SS.mmm exactly, a real date; the day of the week follows from it.
bool SetTime(std::string_view text, std::optional<SYSTEMTIME>& target, std::string& error) {
  static constexpr std::string_view kPattern = "dddd-dd-ddTdd:dd:dd.ddd";
  const auto matches = [](char pattern, char c) {
    return pattern == 'd' ? c >= '0' && c <= '9' : c == pattern;
  };
  const auto field = [text](std::size_t at, std::size_t length) {
    unsigned value = 0;
    for (char digit : text.substr(at, length)) value = value * 10 + unsigned(digit - '0');
    return value;
  };
  const std::string wanted = Quoted(text) + " is not a time YYYY-MM-DDTHH:MM:SS.mmm";
  if (text.size() != kPattern.size() ||
      !std::equal(kPattern.begin(), kPattern.end(), text.begin(), matches)) {
    return Bad(error, wanted);
  }
  SYSTEMTIME time{};
  time.wYear = WORD(field(0, 4));
  time.wMonth = WORD(field(5, 2));
  time.wDay = WORD(field(8, 2));
  time.wHour = WORD(field(11, 2));
  time.wMinute = WORD(field(14, 2));
  time.wSecond = WORD(field(17, 2));
  time.wMilliseconds = WORD(field(20, 3));
  const std::chrono::year_month_day date{
      std::chrono::year(time.wYear), std::chrono::month(time.wMonth), std::chrono::day(time.wDay)};
  if (!date.ok() || time.wYear < kFirstSystemYear || time.wHour > 23 || time.wMinute > 59 ||
      time.wSecond > 59) {
    return Bad(error, wanted + " (no such date or time, or a year before 1601)");
  }
  time.wDayOfWeek = WORD(std::chrono::weekday(std::chrono::sys_days(date)).c_encoding());
  target = time;
  return true;
}

bool SetOsVersion(std::string_view text, PlayOptions& options, std::string& error) {
  const std::size_t dot = text.find('.');
  unsigned long long major = 0, minor = 0;
  if (dot == std::string_view::npos || !ParseNumber(text.substr(0, dot), 255, major) ||
      !ParseNumber(text.substr(dot + 1), 255, minor)) {
    return Bad(error, Quoted(text) + " is not MAJOR.MINOR, each 0 to 255");
  }
  options.osMajor = WORD(major);
  options.osMinor = WORD(minor);
  return true;
}

// CALL or CALL@N for --fail, CALL@N for --short; CALL must be one the fault injector knows.
bool AddRule(std::string_view text, bool shorten, std::vector<CallRule>& rules,
             std::string& error) {
  const std::size_t at = text.find('@');
  CallRule rule{std::string(text.substr(0, at)), 0};
  if (at != std::string_view::npos && !SetNumber(text.substr(at + 1), 1, UINT_MAX, rule.n, error)) {
    return false;
  }
  if (shorten && at == std::string_view::npos) return Bad(error, "needs CALL@N");
  if (shorten ? !FaultInjectingPlatform::CanShorten(rule.call)
              : !FaultInjectingPlatform::CanFail(rule.call)) {
    std::string known;
    for (std::string_view name : FaultInjectingPlatform::FailableCalls()) {
      if (!shorten || FaultInjectingPlatform::CanShorten(name)) {
        known += (known.empty() ? "" : ", ") + std::string(name);
      }
    }
    return Bad(error, Quoted(rule.call) + " is not a call that can be " +
                          (shorten ? "shortened" : "made to fail") + "; these are: " + known);
  }
  rules.push_back(std::move(rule));
  return true;
}

struct OptionSpec {
  std::string_view name;
  bool takesValue;
  // Sets the option from its value; false with a message for a bad one.
  bool (*apply)(PlayOptions& options, std::string_view value, std::string& error);
};

// Every option but --help and --version. A repeated option replaces the earlier value,
// except the repeatable rules and ports, which add up.
const OptionSpec kOptions[] = {
    {"--port", true,
     [](PlayOptions& o, std::string_view v, std::string& e) { return SetPath(v, o.port, e); }},
    {"--log", true,
     [](PlayOptions& o, std::string_view v, std::string& e) { return SetPath(v, o.log, e); }},
    {"--root", true,
     [](PlayOptions& o, std::string_view v, std::string& e) { return SetPath(v, o.root, e); }},
    {"--temp", true,
     [](PlayOptions& o, std::string_view v, std::string& e) { return SetAnsiText(v, o.temp, e); }},
    {"--driver-path", true,
     [](PlayOptions& o, std::string_view v, std::string& e) {
       return SetNonEmptyText(v, o.driverPath, e);
     }},
    {"--no-driver-info", false,
     [](PlayOptions& o, std::string_view, std::string&) {
       o.driverInfo = false;
       return true;
     }},
    {"--job-id", true,
     [](PlayOptions& o, std::string_view v, std::string& e) {
       return SetNumber(v, 0, kDwordMax, o.jobId, e);
     }},
    {"--job-user", true,
     [](PlayOptions& o, std::string_view v, std::string& e) { return SetText(v, o.jobUser, e); }},
    {"--job-machine", true,
     [](PlayOptions& o, std::string_view v, std::string& e) {
       return SetText(v, o.jobMachine, e);
     }},
    {"--job-year", true,
     [](PlayOptions& o, std::string_view v, std::string& e) {
       WORD year = 0;
       if (!SetNumber(v, kFirstSystemYear, kLastSystemYear, year, e)) return false;
       o.jobYear = year;
       return true;
     }},
    {"--no-job-info", false,
     [](PlayOptions& o, std::string_view, std::string&) {
       o.jobInfo = false;
       return true;
     }},
    {"--account", true,
     [](PlayOptions& o, std::string_view v, std::string& e) { return SetText(v, o.account, e); }},
    {"--computer", true,
     [](PlayOptions& o, std::string_view v, std::string& e) { return SetText(v, o.computer, e); }},
    {"--printer-port", true,
     [](PlayOptions& o, std::string_view v, std::string& e) {
       return SetText(v, o.printerPort, e);
     }},
    {"--lpr-port", true,
     [](PlayOptions& o, std::string_view v, std::string& e) {
       std::u16string port;
       if (!SetNonEmptyText(v, port, e)) return false;
       o.lprPorts.push_back(std::move(port));
       return true;
     }},
    {"--time", true,
     [](PlayOptions& o, std::string_view v, std::string& e) { return SetTime(v, o.time, e); }},
    {"--os-version", true,
     [](PlayOptions& o, std::string_view v, std::string& e) { return SetOsVersion(v, o, e); }},
    {"--disk-free", true,
     [](PlayOptions& o, std::string_view v, std::string& e) {
       ULONGLONG clusters = 0;
       if (!SetNumber(v, 0, ULLONG_MAX, clusters, e)) return false;
       o.diskFree = clusters;
       return true;
     }},
    {"--no-netapi", false,
     [](PlayOptions& o, std::string_view, std::string&) {
       o.netapi = false;
       return true;
     }},
    {"--fail", true,
     [](PlayOptions& o, std::string_view v, std::string& e) {
       return AddRule(v, false, o.fails, e);
     }},
    {"--short", true,
     [](PlayOptions& o, std::string_view v, std::string& e) {
       return AddRule(v, true, o.shorts, e);
     }},
};

const OptionSpec* FindOption(std::string_view name) {
  const auto found = std::find_if(std::begin(kOptions), std::end(kOptions),
                                  [name](const OptionSpec& spec) { return spec.name == name; });
  return found == std::end(kOptions) ? nullptr : found;
}

}  // namespace

std::string_view PlayUsage() { return kUsage; }

bool ParsePlayOptions(const std::vector<std::string_view>& args, PlayAction& action,
                      PlayOptions& options, std::string& error) {
  action = PlayAction::kRun;
  options = PlayOptions{};
  bool haveStream = false;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    const bool option = !optionsEnded && arg.size() > 1 && arg[0] == '-';
    if (option && arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (option && (arg == "--help" || arg == "--version")) {
      action = arg == "--help" ? PlayAction::kHelp : PlayAction::kVersion;
      return true;
    }
    if (!option) {
      if (haveStream) return Bad(error, "more than one STREAM: " + Quoted(arg));
      options.stream = std::string(arg);
      haveStream = true;
      continue;
    }
    // --name VALUE or --name=VALUE.
    const std::size_t equals = arg.find('=');
    const std::string_view name = arg.substr(0, equals);
    const OptionSpec* spec = FindOption(name);
    if (!spec) return Bad(error, "unknown option " + std::string(name));
    std::string_view value;
    if (equals != std::string_view::npos) {
      if (!spec->takesValue) return Bad(error, std::string(name) + " takes no value");
      value = arg.substr(equals + 1);
    } else if (spec->takesValue) {
      if (i + 1 == args.size()) return Bad(error, std::string(name) + " needs a value");
      value = args[++i];
    }
    std::string reason;
    if (!spec->apply(options, value, reason)) return Bad(error, std::string(name) + ": " + reason);
  }
  if (!haveStream) return Bad(error, "no STREAM given");
  return true;
}

}  // namespace spoolhook::play
