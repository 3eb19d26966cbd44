#include "spool/spool_control_record.h"

#include "spool/printer_spooling.h"
#include "spool/replay.h"

namespace spoolhook {
namespace {

// Record offsets: the subcommand, then the fields past it.
constexpr DWORD kSubcommandAt = 8;
constexpr DWORD kFieldsAt = 12;

DWORD Field(const RecordView& record, int field) {
  return record.WordOrZero(kFieldsAt + 4 * field);
}

// Field 0 is the memory in MiB for 1 and 9, the page number for 4 and 5.
LONG Page(const RecordView& record) { return static_cast<LONG>(Field(record, 0)); }

BOOL Fits(JobContext* job, const RecordView& record) {
  const SpoolEstimate estimate = {
      .memoryMiB = Field(record, 0),
      .modeFlags = Field(record, 1),
      .mode = Field(record, 2),
      .countFlags = Field(record, 3),
      .units = Field(record, 4),
  };
  return PrinterSpoolFits(job, estimate) ? TRUE : FALSE;
}

struct ControlSubcommand {
  DWORD subcommand;
  DWORD fieldBytes;  // read past the subcommand
  // A question: the renderer reads a no from the count too (0 written).
  bool answersInCount;
  BOOL (*run)(JobContext* job, const RecordView& record);
};

constexpr ControlSubcommand kControlSubcommands[] = {
    {1, 4, false,
     [](JobContext* job, const RecordView& record) {
       return PrinterSpoolJob(job, Field(record, 0));
     }},
    {2, 0, false,
     [](JobContext* job, const RecordView&) {
       return ReplayEntry(job, SpoolEntry::kHeader, 0, PART_LEAD);
     }},
    {3, 0, false,
     [](JobContext* job, const RecordView&) {
       return ReplayEntry(job, SpoolEntry::kTrailer, 0, PART_LEAD);
     }},
    {4, 4, false,
     [](JobContext* job, const RecordView& record) {
       return ReplayEntry(job, SpoolEntry::kPage, Page(record), PART_LEAD);
     }},
    {5, 4, false,
     [](JobContext* job, const RecordView& record) {
       return ReplayEntry(job, SpoolEntry::kPage, Page(record), PART_BODY);
     }},
    {6, 0, false, [](JobContext* job, const RecordView&) { return OpenReplay(job); }},
    {7, 0, false, [](JobContext* job, const RecordView&) { return CloseReplay(job); }},
    {8, 0, false, [](JobContext* job, const RecordView&) { return ReplayPasses(job, 1); }},
    {9, 20, true, Fits},
};

}  // namespace

BOOL HandleSpoolControlRecord(JobContext* job, const RecordView& record, DWORD* written) {
  DWORD subcommand = 0;
  if (!record.ReadU32(kSubcommandAt, &subcommand)) {
    *written = 0;
    return FALSE;
  }
  for (const ControlSubcommand& row : kControlSubcommands) {
    if (row.subcommand != subcommand) continue;
    if (!record.Contains(kFieldsAt, row.fieldBytes)) {
      *written = 0;
      return FALSE;
    }
    const BOOL result = row.run(job, record);
    *written = !result && row.answersInCount ? 0 : record.size();
    return result;
  }
  *written = record.size();
  return TRUE;
}

}  // namespace spoolhook
