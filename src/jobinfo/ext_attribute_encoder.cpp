#include "jobinfo/ext_attribute_encoder.h"

#include <cstring>

#include "jobinfo/attribute_packet.h"
#include "jobinfo/text_conversion.h"

namespace spoolhook {
namespace {

constexpr WORD kUserEntryId = 0x07D9;
constexpr WORD kLongTitleId = 0x082B;
constexpr DWORD kUserEntryLimit = 16;
constexpr DWORD kLongTitleLimit = 231;
// Bytes 22 and 23 of a user entry: the code of a user name, then 1.
constexpr BYTE kUserNameEntryCode = 19;
constexpr BYTE kUserNameEntryMark = 1;

constexpr DWORD kIdOffset = AttributePacket::kPayloadOffset;

WORD EncodeUserEntry(AttributePacketBuffer& packet, const WORD* entryType, const char* name) {
  if (!entryType || *entryType != USER_ENTRY_USER_NAME) return 0;
  const std::size_t length = name ? BoundedLength(name, kUserEntryLimit) : 0;
  BYTE* entry = packet + kIdOffset;
  PutBigEndian16(entry, kUserEntryId);
  entry[2] = kUserNameEntryCode;
  entry[3] = kUserNameEntryMark;
  entry[4] = static_cast<BYTE>(length);
  if (length) std::memcpy(entry + 5, name, length);
  entry[5 + length] = 0;
  entry[6 + length] = 0;
  return FinishPacket(packet, static_cast<WORD>(kIdOffset + 7 + length));
}

}  // namespace

WORD EncodeExtAttribute(AttributePacketBuffer& packet, DWORD kind, const void* first,
                        const void* second) {
  PutBigEndian16(packet + AttributePacket::kOpcodeOffset, PACKET_OPCODE_EXT_ATTRIBUTE);
  switch (kind) {
    case EXT_ATTRIBUTE_USER_ENTRY:
      return EncodeUserEntry(packet, static_cast<const WORD*>(first),
                             static_cast<const char*>(second));
    case EXT_ATTRIBUTE_LONG_TITLE:
      if (!first) return 0;
      return EncodeCodedText(packet, kLongTitleId, static_cast<const char*>(first),
                             static_cast<const WORD*>(second), kLongTitleLimit);
    default:
      return 0;
  }
}

}  // namespace spoolhook
