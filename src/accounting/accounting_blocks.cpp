#include "accounting/accounting_blocks.h"

#include <cstring>

#include "engine/little_endian.h"
#include "jobinfo/driver_block.h"

namespace spoolhook {
namespace {

constexpr DWORD kNoValue = 0xFFFFFFFFu;
constexpr BYTE kEntryTag = 0x17;
// Texts copied into a text entry: the first from the item's byte 0 into entry bytes 0 to 87,
// the second from the item's byte 89 into entry bytes 88 to 135; each cut to its length.
constexpr DWORD kFirstTextLength = 85;
constexpr DWORD kSecondTextItemOffset = 89;
constexpr DWORD kSecondTextEntryOffset = 88;
constexpr DWORD kSecondTextLength = 45;

// At most `length` bytes of a text, up to its terminator or the end of what is there.
void CopyText(BYTE* to, const char* text, std::size_t room, std::size_t length) {
  std::size_t used = 0;
  while (used < length && used < room && text[used]) ++used;
  std::memcpy(to, text, used);
}

// A record's text from `offset`, cut at `length` bytes; the end of the record ends it too.
void CopyRecordText(BYTE* to, const RecordView& record, DWORD offset, DWORD length) {
  const DWORD room = record.Contains(offset, 0) ? record.size() - offset : 0;
  if (room) CopyText(to, reinterpret_cast<const char*>(record.Bytes(offset, room)), room, length);
}

// The fields both start blocks share.
void FillStartHead(BYTE* block, DWORD blockBytes, const DriverBlock& driver) {
  PutLittleEndian32(block + 0, blockBytes);
  PutLittleEndian32(block + 4, kAccountingVersion);
  PutLittleEndian32(block + 8, driver.SpoolerJobId);
  std::memcpy(block + 12, driver.JobUserName, 20);
  const SYSTEMTIME& time = driver.SettingsTime;
  const WORD stamp[] = {time.wYear, time.wMonth,  time.wDayOfWeek, time.wDay,
                        time.wHour, time.wMinute, time.wSecond,    time.wMilliseconds};
  for (std::size_t i = 0; i < 8; ++i) PutLittleEndian16(block + 72 + 2 * i, stamp[i]);
  PutLittleEndian32(block + 96, kNoValue);
  PutLittleEndian32(block + kStartValueOffset, kNoValue);
}

}  // namespace

DWORD BlockWord(const BYTE* block, DWORD offset) { return GetLittleEndian32(block + offset); }

void FillJobStart(BYTE* block, JobContext* job, const RecordView& record) {
  const DriverBlock& driver = *GetDriverBlock(job);
  FillStartHead(block, kJobStartBytes, driver);
  std::memcpy(block + 36, record.Bytes(40, 32), 32);
  PutLittleEndian32(block + 92, record.WordOrZero(12));
  PutLittleEndian32(block + 104, record.WordOrZero(16));
  std::memcpy(block + 108, driver.DocumentName, 255);
  PutLittleEndian32(block + 388, record.WordOrZero(20));
  CopyText(block + 392, driver.JobTitle, sizeof driver.JobTitle, sizeof driver.JobTitle - 1);
}

void FillTextJobStart(BYTE* block, DWORD blockBytes, JobContext* job, const RecordView& record,
                      DWORD textCount) {
  const DriverBlock& driver = *GetDriverBlock(job);
  FillStartHead(block, blockBytes, driver);
  std::memcpy(block + 36, driver.JobTitle, 32);
  block[88] = 1;
  PutLittleEndian32(block + 92, record.WordOrZero(20));
  PutLittleEndian32(block + 104, 2);
  PutLittleEndian32(block + 428, textCount);
  for (DWORD i = 0; i < textCount; ++i) {
    BYTE* entry = block + kTextJobStartBytes + kTextEntryBytes * i;
    const DWORD item = kTextItemsOffset + kTextItemBytes * i;
    CopyRecordText(entry, record, item, kFirstTextLength);
    CopyRecordText(entry + kSecondTextEntryOffset, record, item + kSecondTextItemOffset,
                   kSecondTextLength);
  }
}

void FillEntry(BYTE* entry, const RecordView& record, const EntryLayout& layout, DWORD count) {
  entry[0] = kEntryTag;
  for (DWORD i = 0; i < 5; ++i) entry[1 + i] = BYTE(record.WordOrZero(12 + 4 * i));
  PutLittleEndian32(entry + 8, record.WordOrZero(32));
  PutLittleEndian32(entry + kEntryCountOffset, count);
  PutLittleEndian32(entry + 16, kAccountingVersion);
  entry[20] = BYTE(record.WordOrZero(40));
  entry[21] = BYTE(record.WordOrZero(layout.byte21Word));
  for (DWORD k = 0; k < layout.groups; ++k) {
    entry[24 + 4 * k] = BYTE(record.WordOrZero(44 + 12 * k));
    entry[25 + 4 * k] = BYTE(record.WordOrZero(48 + 12 * k));
    PutLittleEndian16(entry + 26 + 4 * k, WORD(record.WordOrZero(52 + 12 * k)));
  }
}

void FillJobEnd(BYTE* block, DWORD blockBytes, JobContext* job, const RecordView& record,
                DWORD total) {
  const DriverBlock& driver = *GetDriverBlock(job);
  PutLittleEndian32(block + 0, blockBytes);
  PutLittleEndian32(block + 4, kAccountingVersion);
  PutLittleEndian32(block + 8, GetBytesSent(job));
  PutLittleEndian32(block + 12, record.WordOrZero(12));
  PutLittleEndian32(block + 16, total);
  PutLittleEndian32(block + 20, driver.AccountingCount);
  PutLittleEndian32(block + 24, driver.AccountingFlags);
  if (driver.AccountingCount) {
    std::memcpy(block + 28, driver.AccountingEntries,
                std::size_t{kEntryBytes} * driver.AccountingCount);
  }
}

}  // namespace spoolhook
