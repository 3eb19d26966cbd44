#include "jobinfo/job_identifier.h"

#include <cstdio>
#include <cstring>

#include "engine/slots.h"
#include "jobinfo/driver_block.h"
#include "jobinfo/text_conversion.h"
#include "platform/platform.h"

namespace spoolhook {
namespace {

constexpr DWORD kFieldBytes = 16;
constexpr DWORD kNumberFieldBytes = 8;
constexpr DWORD kPluginHandleOffset = 0;
constexpr DWORD kJobIdOffset = 8;
constexpr DWORD kMachineNameOffset = 16;
constexpr DWORD kComputerNameOffset = 32;
constexpr DWORD kJobInfoLevel = 2;
constexpr DWORD kComputerNameUnits = 16;

// Eight hexadecimal digits fill the field without a terminator.
void PutHexNumber(BYTE* field, DWORD value) {
  char digits[kNumberFieldBytes + 1];
  std::snprintf(digits, sizeof digits, "%lx", static_cast<unsigned long>(value));
  std::memcpy(field, digits, BoundedLength(digits, kNumberFieldBytes));
}

// The ANSI form of `name`, at most its first 16 bytes.
void PutName(BYTE* field, const char16_t* name) {
  char* ansi = nullptr;
  if (MemAlloc(&ansi, 2 * WideLength(name) + 2)) {
    ToAnsi(ansi, name);
    std::memcpy(field, ansi, BoundedLength(ansi, kFieldBytes));
  }
  MemFree(&ansi);
}

// Wine's spooler gives a job without a machine name; that field stays zero.
void PutMachineName(BYTE* field, HANDLE printer, DWORD jobId) {
  DWORD needed = 0;
  Os().GetJobW(printer, jobId, kJobInfoLevel, nullptr, 0, &needed);
  if (needed < sizeof(JOB_INFO_2W)) return;
  BYTE* block = nullptr;
  if (MemAlloc(&block, needed) &&
      Os().GetJobW(printer, jobId, kJobInfoLevel, block, needed, &needed)) {
    const char16_t* machine = reinterpret_cast<const JOB_INFO_2W*>(block)->pMachineName;
    if (machine) PutName(field, machine);
  }
  MemFree(&block);
}

void PutComputerName(BYTE* field) {
  // One unit more than the call is told of keeps the name terminated whatever it writes.
  char16_t name[kComputerNameUnits + 1] = {};
  DWORD size = kComputerNameUnits;
  if (Os().GetComputerNameW(name, &size)) PutName(field, name);
}

}  // namespace

void BuildJobIdentifierBlock(JobContext* job, HANDLE printer, DWORD jobId,
                             BYTE (&block)[kJobIdentifierBlockBytes]) {
  std::memset(block, 0, sizeof block);
  PutHexNumber(block + kPluginHandleOffset, GetDriverBlock(job)->PluginJobHandle);
  PutHexNumber(block + kJobIdOffset, jobId);
  PutMachineName(block + kMachineNameOffset, printer, jobId);
  PutComputerName(block + kComputerNameOffset);
}

}  // namespace spoolhook
