#include "jobinfo/pjl_record.h"

#include <cstdio>

#include "engine/engine_records.h"
#include "engine/output_sink.h"
#include "jobinfo/driver_block.h"
#include "jobinfo/driver_texts.h"
#include "jobinfo/lpr_port.h"

namespace spoolhook {
namespace {

constexpr DWORD kNonLprZeroBytes = 8;
constexpr DWORD kLineBufferBytes = 128;
constexpr DWORD kUserTextBufferBytes = 41;

// Formats `format` with one text into a local buffer and writes it with WriteRecordData.
BOOL WriteFormatted(JobContext* job, char* buffer, DWORD size, const char* format, const char* text,
                    DWORD* written) {
  const int length = std::snprintf(buffer, size, format, text);
  if (length < 0) {
    *written = 0;
    return FALSE;
  }
  const DWORD count = static_cast<DWORD>(length) < size ? static_cast<DWORD>(length) : size - 1;
  return WriteRecordData(job, buffer, count, written);
}

// The plug-in's text names the job; it may fill its 80 bytes without a terminator, and the
// longest line (100 bytes) fits the buffer.
BOOL SendNameLine(JobContext* job, const char* format, DWORD* written) {
  char line[kLineBufferBytes];
  return WriteFormatted(job, line, sizeof line, format,
                        TerminatedField(GetDriverBlock(job)->AccountText).data(), written);
}

BOOL SendUser(JobContext* job, const RecordView&, DWORD* written) {
  return SendUserText(job, written);
}

BOOL SendNonLprZeroBytes(JobContext* job, const RecordView& record, DWORD* written) {
  const BOOL result = WriteZerosUnlessLpr(job, kNonLprZeroBytes);
  *written = record.size();
  return result;
}

BOOL SendJobName(JobContext* job, const RecordView&, DWORD* written) {
  return SendNameLine(job, "@PJL JOB NAME = \"%s\"\r\n", written);
}

BOOL SendEndOfJobName(JobContext* job, const RecordView&, DWORD* written) {
  return SendNameLine(job, "@PJL EOJ NAME = \"%s\"\r\n", written);
}

struct PjlRecord {
  DWORD id;
  BOOL (*handle)(JobContext* job, const RecordView& record, DWORD* written);
};

constexpr PjlRecord kPjlRecords[] = {
    {0x1030, SendUser},
    {0x1031, SendNonLprZeroBytes},
    {0x1032, SendJobName},
    {0x1033, SendEndOfJobName},
};

}  // namespace

BOOL SendUserText(JobContext* job, DWORD* written) {
  char text[kUserTextBufferBytes];
  return WriteFormatted(job, text, sizeof text, " USER=\"%.32s\"", GetDriverBlock(job)->JobUserName,
                        written);
}

BOOL HandlePjlRecord(JobContext* job, const RecordView& record, DWORD* written) {
  DWORD id = 0;
  record.ReadU32(0, &id);
  for (const PjlRecord& row : kPjlRecords) {
    if (row.id != id) continue;
    if (!GetDriverBlock(job) || record.size() < kRecordHeadBytes) {
      *written = 0;
      return FALSE;
    }
    return row.handle(job, record, written);
  }
  return TRUE;
}

}  // namespace spoolhook
