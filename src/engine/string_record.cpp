#include "engine/engine_records.h"
#include "engine/output_sink.h"
#include "engine/slots.h"

namespace spoolhook {
namespace {

constexpr DWORD kStringFormat = 1;
constexpr DWORD kIndexOffset = 16;
constexpr DWORD kWideTextOffset = 20;
constexpr DWORD kAnsiTextOffset = 40;

enum class Outcome { kMalformed, kStored, kNotStored };

Outcome StoredIf(bool stored) { return stored ? Outcome::kStored : Outcome::kNotStored; }

Outcome CheckText(JobContext*, const RecordView& record) {
  const char* text = record.TextA(kAnsiTextOffset);
  if (!text) return Outcome::kMalformed;
  return StoredIf(text[0] != 0);
}

Outcome SetNewOverlayPath(JobContext* job, const RecordView& record) {
  const char* text = record.TextA(kAnsiTextOffset);
  if (!text) return Outcome::kMalformed;
  return StoredIf(MemCopyStringA(&job->NewOverlayPath, text));
}

Outcome SetOverlayPath(JobContext* job, const RecordView& record) {
  DWORD index = 0;
  const char* text = record.TextA(kAnsiTextOffset);
  if (!record.ReadU32(kIndexOffset, &index) || index >= kOverlaySlots || !text) {
    return Outcome::kMalformed;
  }
  return StoredIf(MemCopyStringA(&job->OverlayPaths[index], text));
}

Outcome SetCapturePath(JobContext* job, const RecordView& record) {
  const char16_t* text = record.TextW(kWideTextOffset);
  if (!text) return Outcome::kMalformed;
  if (!MemCopyStringW(&job->CapturePath, text)) return Outcome::kNotStored;
  OpenCaptureFile(job);
  return Outcome::kStored;
}

struct StringSubcommand {
  DWORD subcommand;
  Outcome (*apply)(JobContext* job, const RecordView& record);
};

constexpr StringSubcommand kStringSubcommands[] = {
    {1, CheckText},
    {2, SetNewOverlayPath},
    {3, SetOverlayPath},
    {6, SetCapturePath},
};

}  // namespace

BOOL HandleStringRecord(JobContext* job, const RecordView& record, DWORD* written) {
  DWORD format = 0;
  DWORD subcommand = 0;
  if (!record.ReadU32(8, &format) || !record.ReadU32(12, &subcommand)) return FALSE;
  Outcome outcome = Outcome::kNotStored;
  if (format == kStringFormat) {
    for (const StringSubcommand& row : kStringSubcommands) {
      if (row.subcommand == subcommand) outcome = row.apply(job, record);
    }
  }
  if (outcome == Outcome::kMalformed) return FALSE;
  *written = record.size();
  return outcome == Outcome::kStored ? TRUE : FALSE;
}

}  // namespace spoolhook
