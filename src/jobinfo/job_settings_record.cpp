#include "jobinfo/job_settings_record.h"

#include <cstring>

#include "engine/slots.h"
#include "jobinfo/driver_block.h"
#include "jobinfo/job_user_name.h"
#include "jobinfo/text_conversion.h"
#include "platform/platform.h"

namespace spoolhook {
namespace {

constexpr DWORD kSubcommandOffset = 8;
constexpr DWORD kSettingsRecordBytes = 136;
constexpr DWORD kUserNameOffset = 72;
constexpr DWORD kJobTitleOffset = 104;
constexpr DWORD kNameFieldBytes = 32;
constexpr DWORD kTextOffset = 20;

// The 32-bit settings and where the record carries them.
struct SettingsWord {
  DWORD offset;
  DWORD DriverBlock::*field;
};

constexpr SettingsWord kSettingsWords[] = {
    {12, &DriverBlock::CommandBracketOn}, {16, &DriverBlock::DataWrapperOn},
    {20, &DriverBlock::BlankPageValue},   {24, &DriverBlock::TypeCommandOn},
    {32, &DriverBlock::PacketTagOn},      {36, &DriverBlock::PacketTagFirst},
    {40, &DriverBlock::PacketTagSecond},  {48, &DriverBlock::AltMode},
    {60, &DriverBlock::NameSelectA},      {64, &DriverBlock::NameSelectB},
    {68, &DriverBlock::NameSelectMask},
};

// The 16-bit settings.
struct SettingsHalfWord {
  DWORD offset;
  WORD DriverBlock::*field;
};

constexpr SettingsHalfWord kSettingsHalfWords[] = {
    {28, &DriverBlock::JobInfoFlags},
    {56, &DriverBlock::NameSelectFlags},
};

constexpr DWORD kTypeCommandDefaultOffset = 52;

WORD LittleEndian16(const BYTE* bytes) { return static_cast<WORD>(bytes[0] | bytes[1] << 8); }

// Puts at most `count` bytes of `text` into `field` and NUL-fills the rest of the count.
void CopyTextCut(char* field, const char* text, std::size_t count) {
  std::size_t length = 0;
  while (length < count && text[length]) ++length;
  std::memcpy(field, text, length);
  std::memset(field + length, 0, count - length);
}

// A name field of the record replaces the block's text only when it is not empty; the
// block's 33rd byte stays zero.
void CopyNameField(char (&field)[33], const BYTE* recordField) {
  if (recordField[0] != 0) std::memcpy(field, recordField, kNameFieldBytes);
}

// The looked-up name, converted whole in a buffer that fits it, then cut to 32 bytes. Nothing
// changes when the name is empty or no buffer can be had.
void LookUpUserName(JobContext* job, DriverBlock* driver) {
  const char16_t* name = GetJobUserName(job);
  if (!name || !name[0]) return;
  char* ansi = nullptr;
  if (MemAlloc(&ansi, 2 * WideLength(name) + 2)) {
    CopyTextCut(driver->JobUserName, ToAnsi(ansi, name), kNameFieldBytes);
  }
  MemFree(&ansi);
}

BOOL CopySettings(JobContext* job, DriverBlock* driver, const RecordView& record) {
  if (!record.Contains(0, kSettingsRecordBytes)) return FALSE;
  for (const SettingsWord& word : kSettingsWords) {
    record.ReadU32(word.offset, &(driver->*word.field));
  }
  for (const SettingsHalfWord& half : kSettingsHalfWords) {
    driver->*half.field = LittleEndian16(record.Bytes(half.offset, 2));
  }
  driver->TypeCommandDefault = *record.Bytes(kTypeCommandDefaultOffset, 1);
  // The plug-in's flag for the end of the job follows the command bracket; the whole word is
  // replaced, so what the plug-in set earlier does not survive a new settings copy.
  driver->AccountingFlags = driver->CommandBracketOn == 0 ? 1 : 0;
  CopyNameField(driver->JobUserName, record.Bytes(kUserNameOffset, kNameFieldBytes));
  CopyNameField(driver->JobTitle, record.Bytes(kJobTitleOffset, kNameFieldBytes));
  if (!driver->JobUserName[0]) LookUpUserName(job, driver);
  Os().GetSystemTime(&driver->SettingsTime);
  return TRUE;
}

// An empty name keeps the earlier one.
BOOL CopyDocumentName(JobContext*, DriverBlock* driver, const RecordView& record) {
  const char* text = record.TextA(kTextOffset);
  if (!text) return FALSE;
  if (text[0]) CopyTextCut(driver->DocumentName, text, sizeof driver->DocumentName - 1);
  return TRUE;
}

// An empty title clears the earlier one; a 33-byte title fills the field unterminated.
BOOL CopyAltJobTitle(JobContext*, DriverBlock* driver, const RecordView& record) {
  const char* text = record.TextA(kTextOffset);
  if (!text) return FALSE;
  CopyTextCut(driver->AltJobTitle, text, sizeof driver->AltJobTitle);
  return TRUE;
}

struct SettingsSubcommand {
  DWORD subcommand;
  BOOL (*apply)(JobContext* job, DriverBlock* driver, const RecordView& record);
};

constexpr SettingsSubcommand kSettingsSubcommands[] = {
    {1, CopySettings},
    {2, CopyDocumentName},
    {3, CopyAltJobTitle},
};

}  // namespace

BOOL HandleJobSettingsRecord(JobContext* job, const RecordView& record, DWORD* written) {
  DWORD id = 0;
  record.ReadU32(0, &id);
  if (id != JOB_SETTINGS_RECORD) return TRUE;
  DWORD subcommand = 0;
  DriverBlock* driver = GetDriverBlock(job);
  if (!driver || !record.ReadU32(kSubcommandOffset, &subcommand)) {
    *written = 0;
    return FALSE;
  }
  for (const SettingsSubcommand& row : kSettingsSubcommands) {
    if (row.subcommand != subcommand) continue;
    if (!row.apply(job, driver, record)) {
      *written = 0;
      return FALSE;
    }
    *written = record.size();
    return TRUE;
  }
  return TRUE;
}

}  // namespace spoolhook
