// The AttributePacket: a 20-byte header that begins CD CA, then one payload (an attribute or a
// data wrapper). Every number in a packet is big-endian. A packet is built in a byte buffer of
// its sender's: InitPacketHeader fills the header, then an encoder writes the opcode, the
// length and the payload.
#pragma once

#include "platform/win_types.h"

namespace spoolhook {

// Byte offsets within a packet.
struct AttributePacket {
  static constexpr DWORD kFlagsOffset = 3;
  static constexpr DWORD kOpcodeOffset = 4;
  static constexpr DWORD kLengthOffset = 8;  // bytes after the header that belong to the packet
  static constexpr DWORD kTagFirstOffset = 10;
  static constexpr DWORD kTagSecondOffset = 14;
  static constexpr DWORD kHeaderBytes = 20;
  static constexpr DWORD kPayloadOffset = kHeaderBytes;
};

constexpr WORD PACKET_OPCODE_ATTRIBUTE = 0x0012;
constexpr WORD PACKET_OPCODE_EXT_ATTRIBUTE = 0x0015;
constexpr WORD PACKET_OPCODE_DATA_WRAPPER = 0x001A;

// The value with its bytes in reverse order: stored on this little-endian machine, it lies
// in memory in big-endian order.
WORD ToBigEndian16(WORD value);
DWORD ToBigEndian32(DWORD value);

// Store `value` big-endian at `at`, which need not be aligned.
void PutBigEndian16(BYTE* at, WORD value);
void PutBigEndian32(BYTE* at, DWORD value);

// Fills the header of `packet` (its first 20 bytes) with the opcode and length zero for the
// encoder to write. With `tagOn` zero the tag reads FF FF 00 00 00 00 00 00. Callers pass the
// DriverBlock's PacketTagOn, PacketTagFirst and PacketTagSecond. The payload is not touched.
void InitPacketHeader(BYTE* packet, DWORD tagOn, DWORD tagFirst, DWORD tagSecond);

}  // namespace spoolhook
