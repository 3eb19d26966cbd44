// The blocks handed to the accounting plug-in, filled from the job and the accounting
// records: zero-filled when made, numbers little-endian, offsets from the block's start.
#pragma once

#include "engine/job_context.h"
#include "engine/record_view.h"

namespace spoolhook {

constexpr DWORD kAccountingVersion = 0x20000;

// The start block of record 0x1070, and the 84-byte block the plug-in answers in: bytes 0 to
// 79 its account text, the word at 80 its account number.
constexpr DWORD kJobStartBytes = 568;
constexpr DWORD kJobResultBytes = 84;
constexpr DWORD kResultNumberOffset = 80;
// The start block's word that the plug-in may change.
constexpr DWORD kStartValueOffset = 100;

// Record 0x1073: n text items of 128 bytes from record byte 28; its start block holds 432
// bytes and one 136-byte text entry per item.
constexpr DWORD kTextItemsOffset = 28;
constexpr DWORD kTextItemBytes = 128;
constexpr DWORD kTextJobStartBytes = 432;
constexpr DWORD kTextEntryBytes = 136;

// One accounting entry; the end block holds 92 bytes and one entry per held entry.
constexpr DWORD kEntryBytes = 64;
constexpr DWORD kEntryCountOffset = 12;
constexpr DWORD kJobEndBytes = 92;

DWORD BlockWord(const BYTE* block, DWORD offset);

// The start block of record 0x1070 (at least 72 bytes).
void FillJobStart(BYTE* block, JobContext* job, const RecordView& record);
// The start block of record 0x1073 with its `textCount` items, all within the record.
void FillTextJobStart(BYTE* block, DWORD blockBytes, JobContext* job, const RecordView& record,
                      DWORD textCount);

// Where the two entry records differ.
struct EntryLayout {
  DWORD minBytes;     // the shortest record that holds every field read
  DWORD byte21Word;   // the word whose low byte goes to entry byte 21
  DWORD groups;       // groups of three words from record byte 44
  DWORD flagWord;     // non-zero: bit 0 of AccountingFlags
  bool runningCount;  // the record's count runs since the start of the job
};
// Entry fields from an entry record of `layout` with `count` as its count.
void FillEntry(BYTE* entry, const RecordView& record, const EntryLayout& layout, DWORD count);

// The end block for the held entries, with `total` at byte 16.
void FillJobEnd(BYTE* block, DWORD blockBytes, JobContext* job, const RecordView& record,
                DWORD total);

}  // namespace spoolhook
