#include <algorithm>
#include <cstring>

#include "engine/engine_records.h"
#include "engine/output_sink.h"
#include "engine/slots.h"

namespace spoolhook {
namespace {

constexpr DWORD kSettingsFormat = 30;
constexpr DWORD kDataOffset = 20;

// Each subcommand returns false for a record whose data reach past its end.
bool SetAccountingPath(JobContext* job, const RecordView& record, LONG value) {
  const DWORD length = std::min<DWORD>(static_cast<DWORD>(value), kPathBytes - 1);
  const BYTE* data = record.Bytes(kDataOffset, length);
  if (!data) return false;
  // Cleared first so that a path without its own terminator cannot run into an older one.
  std::memset(job->AccountingPath, 0, sizeof job->AccountingPath);
  std::memcpy(job->AccountingPath, data, length);
  return true;
}

bool SetOutputMode(JobContext* job, const RecordView&, LONG value) {
  job->OutputMode = static_cast<DWORD>(value);
  OpenCaptureFile(job);
  return true;
}

bool IgnoreData(JobContext*, const RecordView&, LONG) { return true; }

bool SetUserName(JobContext* job, const RecordView& record, LONG value) {
  const DWORD length = static_cast<DWORD>(value);
  const BYTE* data = record.Bytes(kDataOffset, length);
  if (!data) return false;
  // The block always ends in a UTF-16 terminator of its own, whatever the data hold.
  const std::size_t blockBytes = std::size_t{length} + (length & 1) + sizeof(char16_t);
  if (char16_t* name = MemAlloc(&job->UserName, blockBytes)) std::memcpy(name, data, length);
  return true;
}

struct SettingsSubcommand {
  DWORD subcommand;
  bool (*apply)(JobContext* job, const RecordView& record, LONG value);
};

constexpr SettingsSubcommand kSettingsSubcommands[] = {
    {1, SetAccountingPath},
    {2, SetOutputMode},
    {3, IgnoreData},
    {4, SetUserName},
};

}  // namespace

BOOL HandleSettingsRecord(JobContext* job, const RecordView& record, DWORD* written) {
  DWORD format = 0;
  DWORD subcommand = 0;
  LONG value = 0;
  if (!record.ReadU32(8, &format) || !record.ReadU32(12, &subcommand) ||
      !record.ReadI32(16, &value)) {
    return FALSE;
  }
  if (format == kSettingsFormat && value > 0) {
    for (const SettingsSubcommand& row : kSettingsSubcommands) {
      if (row.subcommand == subcommand && !row.apply(job, record, value)) return FALSE;
    }
  }
  *written = record.size();
  return TRUE;
}

}  // namespace spoolhook
