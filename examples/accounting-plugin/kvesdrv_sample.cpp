// The sample accounting plug-in KVESDRV.DLL: a reference for writers of real plug-ins, and
// the peer the library's tests load. It answers every start of a job with values from the
// environment and, when ACCOUNTING_SAMPLE_LOG names a file, appends one JSON line per call
// with the blocks exactly as it received them.
//
// Environment:
//   ACCOUNTING_SAMPLE_TEXT    account text of the result block (default "ACCT-0001")
//   ACCOUNTING_SAMPLE_NUMBER  account number of the result block, decimal (default 1)
//   ACCOUNTING_SAMPLE_VALUE   when set: written as a u32 into bytes 100 to 103 of the start block
//   ACCOUNTING_SAMPLE_HANDLE  job handle the start entry returns, decimal (default 48879)
//   ACCOUNTING_SAMPLE_LOG     file the calls are logged to (none: no log)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// The platform's calling convention for exported functions: stdcall on 32-bit x86 Windows.
#if defined(_WIN32) && !defined(_WIN64)
#define PLUGIN_CALL __stdcall
#else
#define PLUGIN_CALL
#endif

// On Windows the module definition file names the export, undecorated.
#ifdef _WIN32
#define PLUGIN_EXPORT
#else
#define PLUGIN_EXPORT __attribute__((visibility("default")))
#endif

namespace {

using Byte = unsigned char;

constexpr char kInterfaceId[] = "4b16748b-d289-419d-9d5d-47a2a348567f";
constexpr std::size_t kAccountTextBytes = 80;
constexpr std::size_t kAccountNumberOffset = 80;
constexpr std::size_t kStartValueOffset = 100;

std::uint32_t ReadU32(const Byte* at) {
  return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 |
         std::uint32_t{at[3]} << 24;
}

void WriteU32(Byte* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = Byte(value >> (8 * i));
}

// A decimal number from the environment, cut to 32 bits, or `fallback` when it is not set.
std::uint32_t EnvironmentNumber(const char* name, std::uint32_t fallback) {
  const char* text = std::getenv(name);
  return text ? std::uint32_t(std::strtoull(text, nullptr, 10)) : fallback;
}

// A JSON string: quotes, backslashes and control characters escaped; bytes outside ASCII
// written as the code point of their value.
void PutJsonText(std::FILE* log, const char* text) {
  std::fputc('"', log);
  for (const char* at = text ? text : ""; *at; ++at) {
    const Byte unit = Byte(*at);
    if (unit == '"' || unit == '\\') {
      std::fprintf(log, "\\%c", unit);
    } else if (unit < 0x20 || unit >= 0x7F) {
      std::fprintf(log, "\\u%04x", unsigned{unit});
    } else {
      std::fputc(unit, log);
    }
  }
  std::fputc('"', log);
}

// A whole block, its size taken from its first u32, as one lower-case hexadecimal string.
void PutBlock(std::FILE* log, const Byte* block) {
  std::fputc('"', log);
  const std::uint32_t size = block ? ReadU32(block) : 0;
  for (std::uint32_t i = 0; i < size; ++i) std::fprintf(log, "%02x", unsigned{block[i]});
  std::fputc('"', log);
}

// Opens the log for one line; none when no log is asked for.
std::FILE* OpenLog() {
  const char* path = std::getenv("ACCOUNTING_SAMPLE_LOG");
  return path && *path ? std::fopen(path, "ab") : nullptr;
}

void PLUGIN_CALL Unused() {}

// Entry 1, the start of a job.
std::uint32_t PLUGIN_CALL StartJob(const char* accountingPath, Byte* start, Byte* result) {
  if (std::FILE* log = OpenLog()) {
    std::fputs("{\"call\":\"start\",\"path\":", log);
    PutJsonText(log, accountingPath);
    std::fputs(",\"start\":", log);
    PutBlock(log, start);
    std::fputs("}\n", log);
    std::fclose(log);
  }
  const char* text = std::getenv("ACCOUNTING_SAMPLE_TEXT");
  if (!text) text = "ACCT-0001";
  std::memset(result, 0, kAccountTextBytes);
  for (std::size_t i = 0; i < kAccountTextBytes - 1 && text[i]; ++i) result[i] = Byte(text[i]);
  WriteU32(result + kAccountNumberOffset, EnvironmentNumber("ACCOUNTING_SAMPLE_NUMBER", 1));
  if (std::getenv("ACCOUNTING_SAMPLE_VALUE")) {
    WriteU32(start + kStartValueOffset, EnvironmentNumber("ACCOUNTING_SAMPLE_VALUE", 0));
  }
  return EnvironmentNumber("ACCOUNTING_SAMPLE_HANDLE", 48879);
}

// Entry 2, the end of a job.
std::uint32_t PLUGIN_CALL EndJob(const char* accountingPath, std::uintptr_t jobHandle, Byte* end) {
  if (std::FILE* log = OpenLog()) {
    std::fputs("{\"call\":\"end\",\"path\":", log);
    PutJsonText(log, accountingPath);
    std::fprintf(log, ",\"handle\":%llu,\"end\":", static_cast<unsigned long long>(jobHandle));
    PutBlock(log, end);
    std::fputs("}\n", log);
    std::fclose(log);
  }
  return 0;
}

// The interface: a table of three entry points.
struct Interface {
  void(PLUGIN_CALL* entry0)();
  std::uint32_t(PLUGIN_CALL* startJob)(const char*, Byte*, Byte*);
  std::uint32_t(PLUGIN_CALL* endJob)(const char*, std::uintptr_t, Byte*);
};

const Interface kInterface = {Unused, StartJob, EndJob};

}  // namespace

extern "C" PLUGIN_EXPORT const void* PLUGIN_CALL KvGetInterface(const char* interfaceId) {
  return interfaceId && std::strcmp(interfaceId, kInterfaceId) == 0 ? &kInterface : nullptr;
}
