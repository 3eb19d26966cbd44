#include "accounting/accounting_records.h"

#include <cstring>

#include "accounting/accounting_blocks.h"
#include "accounting/accounting_plugin.h"
#include "engine/slots.h"
#include "jobinfo/driver_block.h"

namespace spoolhook {
namespace {

// What a handler did with a record that was long enough for it.
enum class Outcome { kDone, kNoBlock, kNoPlugin };

// Calls the plug-in's start entry and keeps what it answered.
void StartPluginJob(JobContext* job, BYTE* start, BYTE* result) {
  DriverBlock* driver = GetDriverBlock(job);
  AccountingPlugin* plugin = driver->PluginInterface;
  driver->PluginJobHandle = plugin->PluginStartJob(plugin, start, result);
  std::memcpy(driver->AccountText, result, sizeof driver->AccountText);
  driver->AccountNumber = BlockWord(result, kResultNumberOffset);
  driver->PluginJobValue = BlockWord(start, kStartValueOffset);
}

// 0x1070: a fresh plug-in for every start; without one the record still succeeds.
Outcome StartJob(JobContext* job, const RecordView& record) {
  BYTE* start = nullptr;
  BYTE* result = nullptr;
  Outcome outcome = Outcome::kNoBlock;
  if (MemAlloc(&start, kJobStartBytes) && MemAlloc(&result, kJobResultBytes)) {
    FillJobStart(start, job, record);
    if (GetAccountingPlugin(job)) StartPluginJob(job, start, result);
    outcome = Outcome::kDone;
  }
  MemFree(&start);
  MemFree(&result);
  return outcome;
}

// 0x1073: the held plug-in, or a new one; without one the record fails.
Outcome StartTextJob(JobContext* job, const RecordView& record) {
  const DWORD textCount = record.WordOrZero(24);
  const DWORD startBytes = kTextJobStartBytes + kTextEntryBytes * textCount;
  BYTE* start = nullptr;
  BYTE* result = nullptr;
  Outcome outcome = Outcome::kNoBlock;
  if (MemAlloc(&start, startBytes) && MemAlloc(&result, kJobResultBytes)) {
    FillTextJobStart(start, startBytes, job, record, textCount);
    if (GetDriverBlock(job)->PluginInterface || GetAccountingPlugin(job)) {
      StartPluginJob(job, start, result);
      outcome = Outcome::kDone;
    } else {
      outcome = Outcome::kNoPlugin;
    }
  }
  MemFree(&start);
  MemFree(&result);
  return outcome;
}

// 0x1071 and 0x1074: the entries and totals go to the plug-in, which is then unloaded; the
// entries are released whether or not a plug-in was held.
Outcome EndJob(JobContext* job, const RecordView& record, DWORD total) {
  DriverBlock* driver = GetDriverBlock(job);
  const DWORD endBytes = kJobEndBytes + kEntryBytes * driver->AccountingCount;
  BYTE* end = nullptr;
  if (!MemAlloc(&end, endBytes)) return Outcome::kNoBlock;
  FillJobEnd(end, endBytes, job, record, total);
  if (AccountingPlugin* plugin = driver->PluginInterface) {
    plugin->PluginEndJob(plugin, driver->PluginJobHandle, end);
    ReleaseHeldPlugin(job);
  }
  MemFree(&end);
  ReleaseAccountingEntries(job);
  return Outcome::kDone;
}

Outcome EndJobWithTotal(JobContext* job, const RecordView& record) {
  return EndJob(job, record, GetDriverBlock(job)->AccountingTotal);
}

Outcome EndJobWithRecordTotal(JobContext* job, const RecordView& record) {
  return EndJob(job, record, record.WordOrZero(16));
}

constexpr DWORD kEntryCountWord = 36;

// 0x1072 and 0x1075: one entry more in the list, with or without a plug-in.
Outcome AddEntry(JobContext* job, const RecordView& record, const EntryLayout& layout) {
  DriverBlock* driver = GetDriverBlock(job);
  const DWORD held = driver->AccountingCount;
  BYTE* entries = nullptr;
  if (!MemAlloc(&entries, std::size_t{kEntryBytes} * (held + 1))) return Outcome::kNoBlock;
  if (held) std::memcpy(entries, driver->AccountingEntries, std::size_t{kEntryBytes} * held);
  const DWORD recordCount = record.WordOrZero(kEntryCountWord);
  DWORD count = recordCount;
  if (layout.runningCount) {
    for (DWORD i = 0; i < held; ++i) {
      count -= BlockWord(entries + kEntryBytes * i, kEntryCountOffset);
    }
  }
  FillEntry(entries + kEntryBytes * held, record, layout, count);
  if (record.WordOrZero(layout.flagWord)) driver->AccountingFlags |= 1;
  MemFree(&driver->AccountingEntries);
  driver->AccountingEntries = entries;
  driver->AccountingCount = held + 1;
  driver->AccountingTotal =
      layout.runningCount ? recordCount : driver->AccountingTotal + recordCount;
  return Outcome::kDone;
}

constexpr EntryLayout kEntryLayout = {112, 104, 5, 108, false};
constexpr EntryLayout kTextEntryLayout = {100, 92, 4, 96, true};

Outcome AddCountedEntry(JobContext* job, const RecordView& record) {
  return AddEntry(job, record, kEntryLayout);
}

Outcome AddRunningEntry(JobContext* job, const RecordView& record) {
  return AddEntry(job, record, kTextEntryLayout);
}

struct AccountingRecord {
  DWORD id;
  DWORD minBytes;  // every field the handler reads lies within them
  Outcome (*handle)(JobContext* job, const RecordView& record);
};

constexpr AccountingRecord kAccountingRecords[] = {
    {ACCOUNTING_JOB_START, 72, StartJob},
    {ACCOUNTING_JOB_END, 16, EndJobWithTotal},
    {ACCOUNTING_ENTRY, kEntryLayout.minBytes, AddCountedEntry},
    {ACCOUNTING_TEXT_JOB_START, kTextItemsOffset, StartTextJob},
    {ACCOUNTING_TEXT_JOB_END, 20, EndJobWithRecordTotal},
    {ACCOUNTING_TEXT_ENTRY, kTextEntryLayout.minBytes, AddRunningEntry},
};

// Every field lies within the record; for 0x1073 also each of its text items, whose count
// sizes the start block: a count that the record cannot hold, or whose start block would not
// fit the block's 32-bit size, is refused.
bool HoldsItsFields(const RecordView& record, const AccountingRecord& row) {
  if (record.size() < row.minBytes) return false;
  if (row.id != ACCOUNTING_TEXT_JOB_START) return true;
  const std::uint64_t textCount = record.WordOrZero(24);
  return kTextItemsOffset + kTextItemBytes * textCount <= record.size() &&
         kTextJobStartBytes + kTextEntryBytes * textCount <= 0xFFFFFFFFu;
}

}  // namespace

BOOL HandleAccountingRecord(JobContext* job, const RecordView& record, DWORD* written) {
  const DWORD id = record.WordOrZero(0);
  for (const AccountingRecord& row : kAccountingRecords) {
    if (row.id != id) continue;
    *written = 0;
    if (!HoldsItsFields(record, row)) return FALSE;
    const Outcome outcome = row.handle(job, record);
    if (outcome != Outcome::kNoBlock) *written = record.size();
    return outcome == Outcome::kNoPlugin ? FALSE : TRUE;
  }
  return TRUE;
}

}  // namespace spoolhook
