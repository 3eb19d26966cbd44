#include "spool/spool_record.h"

#include "spool/page_marks.h"
#include "spool/replay.h"
#include "spool/spool_file.h"

namespace spoolhook {
namespace {

// Payload offsets: the subcommand, its parameter (a case or a page number), the value slots.
constexpr DWORD kPayload = 8;
constexpr DWORD kSubcommandAt = kPayload;
constexpr DWORD kParameterAt = kPayload + 4;
constexpr DWORD kSlotAt = kPayload + 8;

DWORD Slot(const RecordView& record, int slot) { return record.WordOrZero(kSlotAt + 4 * slot); }
// A 16-bit field takes the low two bytes of its slot.
std::int16_t Slot16(const RecordView& record, int slot) {
  return static_cast<std::int16_t>(Slot(record, slot) & 0xFFFF);
}

LONG Parameter(const RecordView& record) {
  LONG value = 0;
  record.ReadI32(kParameterAt, &value);
  return value;
}

// Subcommand 103, by case: which slots it reads (the record must hold them) and where they go.
struct ParameterCase {
  LONG number;
  int slots;
  void (*store)(JobContext* job, const RecordView& record);
};

constexpr ParameterCase kParameterCases[] = {
    {0, 4,
     [](JobContext* job, const RecordView& record) {
       job->ReplayMode = Slot(record, 0);
       job->Copies = Slot16(record, 2);
       job->ReplayOptions = Slot(record, 3);
     }},
    {1, 2,
     [](JobContext* job, const RecordView& record) {
       job->DuplexMode = Slot(record, 0);
       job->PagesPerSide = Slot16(record, 1);
     }},
    {2, 2,
     [](JobContext* job, const RecordView& record) {
       job->Collate = Slot(record, 0);
       job->ReverseOrder = Slot(record, 1);
     }},
    {3, 2,
     [](JobContext* job, const RecordView& record) {
       job->InterleafOptions = Slot(record, 0);
       job->PaperSourceMode = Slot16(record, 1);
     }},
    {4, 5,
     [](JobContext* job, const RecordView& record) {
       job->DefaultBin = Slot16(record, 0);
       job->FirstBin = Slot16(record, 1);
       job->SecondBin = Slot16(record, 2);
       job->LastBin = Slot16(record, 3);
       job->InterleafBin = Slot16(record, 4);
     }},
};

const ParameterCase* FindParameterCase(const RecordView& record) {
  for (const ParameterCase& row : kParameterCases) {
    if (row.number == Parameter(record)) return &row;
  }
  return nullptr;
}

BOOL StartSpooling(JobContext* job, const RecordView&) {
  // An earlier spool of the job cannot be replayed once its index is replaced: remove it.
  DeleteSpool(job);
  return CreateSpoolFile(job) && CreatePageIndex(job);
}

BOOL SetReplayParameters(JobContext* job, const RecordView& record) {
  if (const ParameterCase* row = FindParameterCase(record)) row->store(job, record);
  return TRUE;
}

BOOL Replay(JobContext* job, const RecordView&) {
  return job->ReplayMode == 1 ? ReplayBySections(job) : ReplayJob(job);
}

BOOL AbandonSpool(JobContext* job, const RecordView&) {
  DeleteSpool(job);
  CancelJobOutput(job);
  return TRUE;
}

// While a section is being marked its bytes stay in the section.
BOOL MarkBody(JobContext* job, const RecordView&) {
  return job->SectionOpen ? TRUE : MarkPageBody(job);
}

// The section is marked whatever the result, so that page bodies stay in it.
BOOL StartSection(JobContext* job, SectionTable* table) {
  const BOOL result = MarkSection(job, table);
  job->SectionOpen = 1;
  return result;
}

BOOL EndSection(JobContext* job, const RecordView&) {
  job->SectionOpen = 0;
  return TRUE;
}

struct SpoolSubcommand {
  DWORD subcommand;
  // The fields past the subcommand that it reads, in bytes; subcommand 103 asks its case.
  DWORD fieldBytes;
  BOOL (*run)(JobContext* job, const RecordView& record);
};

constexpr SpoolSubcommand kSpoolSubcommands[] = {
    {100, 0, StartSpooling},
    {101, 0, [](JobContext* job, const RecordView&) { return EndSpooling(job); }},
    {102, 0, [](JobContext* job, const RecordView&) { return DeleteSpool(job); }},
    {103, 4, SetReplayParameters},
    {104, 0, Replay},
    {105, 0, [](JobContext* job, const RecordView&) { return MarkHeader(job); }},
    {106, 0, [](JobContext* job, const RecordView&) { return MarkTrailer(job); }},
    {107, 0, [](JobContext* job, const RecordView&) { return MarkPageLead(job); }},
    {108, 0, MarkBody},
    {110, 0, [](JobContext* job, const RecordView&) { return CloseMarks(job); }},
    {111, 0, AbandonSpool},
    {120, 0,
     [](JobContext* job, const RecordView&) { return StartSection(job, &job->PassSections); }},
    {121, 0, EndSection},
    {122, 0,
     [](JobContext* job, const RecordView&) { return StartSection(job, &job->CycleSections); }},
    {123, 0, EndSection},
    {130, 0, [](JobContext* job, const RecordView&) { return OpenReplay(job); }},
    {131, 0, [](JobContext* job, const RecordView&) { return CloseReplay(job); }},
    {132, 0, [](JobContext* job, const RecordView&) { return ReplayPasses(job, 1); }},
    {133, 0,
     [](JobContext* job, const RecordView&) {
       return ReplayEntry(job, SpoolEntry::kHeader, 0, PART_LEAD);
     }},
    {134, 0,
     [](JobContext* job, const RecordView&) {
       return ReplayEntry(job, SpoolEntry::kTrailer, 0, PART_LEAD);
     }},
    {135, 4,
     [](JobContext* job, const RecordView& record) {
       return ReplayEntry(job, SpoolEntry::kPage, Parameter(record), PART_LEAD);
     }},
    {136, 4,
     [](JobContext* job, const RecordView& record) {
       return ReplayEntry(job, SpoolEntry::kPage, Parameter(record), PART_BODY);
     }},
};

// Whether the record holds every field that `row` reads.
bool HoldsFields(const SpoolSubcommand& row, const RecordView& record) {
  if (!record.Contains(kParameterAt, row.fieldBytes)) return false;
  if (row.subcommand != 103) return true;
  const ParameterCase* parameters = FindParameterCase(record);
  return !parameters || record.Contains(kSlotAt, 4 * parameters->slots);
}

}  // namespace

BOOL HandleSpoolRecord(JobContext* job, const RecordView& record, DWORD* written) {
  DWORD subcommand = 0;
  if (!record.ReadU32(kSubcommandAt, &subcommand)) return FALSE;
  for (const SpoolSubcommand& row : kSpoolSubcommands) {
    if (row.subcommand != subcommand) continue;
    if (!HoldsFields(row, record)) return FALSE;
    if (!row.run(job, record)) {
      CancelJobOutput(job);
      return FALSE;
    }
    break;
  }
  *written = record.size();
  return TRUE;
}

}  // namespace spoolhook
