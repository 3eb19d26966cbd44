#include "jobinfo/data_wrapper.h"

#include "engine/output_sink.h"
#include "jobinfo/attribute_packet.h"
#include "jobinfo/driver_block.h"

namespace spoolhook {
namespace {

constexpr BYTE kNotFinalFlag = 0x02;
constexpr BYTE kPlainForm = 1;
constexpr BYTE kExtendedForm = 6;
constexpr DWORD kExtendedFormCode = 4037;

using Sink = BOOL (*)(JobContext* job, const void* data, DWORD count, DWORD* written);

BOOL SendWrappedThrough(Sink sink, JobContext* job, const void* data, DWORD length,
                        DWORD* written) {
  const DriverBlock* driver = GetDriverBlock(job);
  if (!driver->DataWrapperOn) return sink(job, data, length, written);
  if (!written) return FALSE;
  BYTE packet[kWrapperBufferBytes];
  InitPacketHeader(packet, driver->PacketTagOn, driver->PacketTagFirst, driver->PacketTagSecond);
  const WORD size = BuildJobDataWrapper(job, packet, length);
  DWORD wrapperWritten = 0;
  if (size == 0 || !sink(job, packet, size, &wrapperWritten)) {
    *written = 0;
    return FALSE;
  }
  return sink(job, data, length, written);
}

}  // namespace

WORD BuildDataWrapper(JobContext* job, BYTE* packet, DWORD dataLength, BOOL final) {
  const bool extended = GetDriverBlock(job)->AltMode != 0;
  if (dataLength > (extended ? kMaxExtendedWrappedBytes : kMaxPlainWrappedBytes)) return 0;
  const WORD size = extended ? kExtendedWrapperBytes : kPlainWrapperBytes;
  packet[AttributePacket::kFlagsOffset] = final ? 0 : kNotFinalFlag;
  PutBigEndian16(packet + AttributePacket::kOpcodeOffset, PACKET_OPCODE_DATA_WRAPPER);
  PutBigEndian16(packet + AttributePacket::kLengthOffset,
                 static_cast<WORD>(size - AttributePacket::kHeaderBytes + dataLength));
  BYTE* payload = packet + AttributePacket::kPayloadOffset;
  if (extended) {
    payload[0] = kExtendedForm;
    PutBigEndian32(payload + 1, kExtendedFormCode);
    PutBigEndian32(payload + 5, 0);
  } else {
    payload[0] = kPlainForm;
  }
  return size;
}

WORD BuildJobDataWrapper(JobContext* job, BYTE* packet, DWORD dataLength) {
  const BOOL final = (GetDriverBlock(job)->WrapperState & WRAPPER_FINAL) != 0;
  return BuildDataWrapper(job, packet, dataLength, final);
}

BOOL SendWrapped(JobContext* job, const void* data, DWORD length, DWORD* written) {
  return SendWrappedThrough(WriteRecordData, job, data, length, written);
}

BOOL SendWrappedDirect(JobContext* job, const void* data, DWORD length, DWORD* written) {
  return SendWrappedThrough(WriteDirect, job, data, length, written);
}

}  // namespace spoolhook
