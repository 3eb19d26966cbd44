// One DrvSplWritePrinter call with a test's record, as the spooler makes it.
#pragma once

#include <string>

#include "engine/exports.h"
#include "support/records.h"

namespace spoolhook::testing {

struct Written {
  BOOL result;
  DWORD written;
};

// Hands `record` to the job with the count written preset to `preset`; the result and the
// count as the call left them.
inline Written WriteRecord(HANDLE job, const Record& record, DWORD preset = 0xFFFFFFFFu) {
  std::string bytes = record.bytes();
  DWORD written = preset;
  const BOOL result = DrvSplWritePrinter(job, bytes.data(), record.size(), &written);
  return {result, written};
}

}  // namespace spoolhook::testing
