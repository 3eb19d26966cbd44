#include "jobinfo/job_info_record.h"

#include "engine/engine_records.h"
#include "engine/output_sink.h"
#include "jobinfo/attribute_packet.h"
#include "jobinfo/data_wrapper.h"
#include "jobinfo/driver_block.h"
#include "jobinfo/job_info_steps.h"
#include "jobinfo/lpr_port.h"

namespace spoolhook {
namespace {

constexpr DWORD kSubcommandOffset = 8;
constexpr DWORD WRAPPING_END = 2;
constexpr DWORD kCountedSubcommand = 1;  // the one subcommand of record 0x1013 that is counted
constexpr DWORD kNonLprZeroBytes = 128;

// The record's data, from byte 8.
DWORD DataLength(const RecordView& record) { return record.size() - kRecordHeadBytes; }
const BYTE* Data(const RecordView& record) {
  return record.Bytes(kRecordHeadBytes, DataLength(record));
}

BOOL WriteData(JobContext* job, const RecordView& record, DWORD* written) {
  const BOOL result = WriteRecordData(job, Data(record), DataLength(record), written);
  *written += kRecordHeadBytes;
  return result;
}

// A packet buffer with the job's header, for one wrapper.
struct WrapperPacket {
  explicit WrapperPacket(const DriverBlock& driver) {
    InitPacketHeader(bytes, driver.PacketTagOn, driver.PacketTagFirst, driver.PacketTagSecond);
  }
  BYTE bytes[kWrapperBufferBytes];
};

BOOL PassData(JobContext* job, DriverBlock&, const RecordView& record, DWORD* written) {
  return WriteData(job, record, written);
}

// The wrapper's own write result does not count: what matters is that the data follow it.
// Data that one wrapper cannot announce are refused whole rather than sent without one.
BOOL PassWrappedData(JobContext* job, DriverBlock& driver, const RecordView& record,
                     DWORD* written) {
  WrapperPacket packet(driver);
  const WORD size = BuildJobDataWrapper(job, packet.bytes, DataLength(record));
  if (size == 0) {
    *written = 0;
    return FALSE;
  }
  DWORD wrapperWritten = 0;
  WriteRecordData(job, packet.bytes, size, &wrapperWritten);
  return WriteData(job, record, written);
}

BOOL MarkWrapping(JobContext* job, DriverBlock& driver, const RecordView& record, DWORD* written) {
  DWORD subcommand = 0;
  record.ReadU32(kSubcommandOffset, &subcommand);
  BOOL result = TRUE;
  if (subcommand == WRAPPING_END) {
    driver.WrapperState |= WRAPPER_FINAL;
    WrapperPacket packet(driver);
    const WORD size = BuildDataWrapper(job, packet.bytes, 0, TRUE);
    DWORD wrapperWritten = 0;
    result = WriteRecordData(job, packet.bytes, size, &wrapperWritten);
  } else {
    driver.WrapperState = WRAPPER_STARTED;
  }
  *written = record.size();
  return result;
}

BOOL AcceptMark(JobContext*, DriverBlock&, const RecordView& record, DWORD* written) {
  DWORD subcommand = 0;
  record.ReadU32(kSubcommandOffset, &subcommand);
  if (subcommand == kCountedSubcommand) *written = record.size();
  return TRUE;
}

// A failed step leaves the count written as it was.
BOOL SendStep(JobContext* job, DriverBlock&, const RecordView& record, DWORD* written) {
  DWORD step = 0;
  record.ReadU32(kSubcommandOffset, &step);
  if (!SendJobInfoStep(job, step)) return FALSE;
  *written = record.size();
  return TRUE;
}

BOOL SendNonLprZeroBytes(JobContext* job, DriverBlock&, const RecordView& record, DWORD* written) {
  const BOOL result = WriteZerosUnlessLpr(job, kNonLprZeroBytes);
  *written = record.size();
  return result;
}

struct JobInfoRecord {
  DWORD id;
  DWORD minimumSize;  // the head, and the subcommand word where the record has one
  BOOL (*handle)(JobContext* job, DriverBlock& driver, const RecordView& record, DWORD* written);
};

constexpr DWORD kHeadOnly = kRecordHeadBytes;
constexpr DWORD kWithSubcommand = kSubcommandOffset + 4;

constexpr JobInfoRecord kJobInfoRecords[] = {
    {0x1010, kHeadOnly, PassData},           {0x1011, kHeadOnly, PassWrappedData},
    {0x1012, kWithSubcommand, MarkWrapping}, {0x1013, kWithSubcommand, AcceptMark},
    {0x1014, kWithSubcommand, SendStep},     {0x1015, kHeadOnly, SendNonLprZeroBytes},
};

}  // namespace

BOOL HandleJobInfoRecord(JobContext* job, const RecordView& record, DWORD* written) {
  DWORD id = 0;
  record.ReadU32(0, &id);
  DriverBlock* driver = GetDriverBlock(job);
  for (const JobInfoRecord& row : kJobInfoRecords) {
    if (row.id != id) continue;
    if (!driver || record.size() < row.minimumSize) {
      *written = 0;
      return FALSE;
    }
    return row.handle(job, *driver, record, written);
  }
  return TRUE;
}

}  // namespace spoolhook
