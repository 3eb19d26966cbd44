#include "jobinfo/attribute_encoder.h"

#include <cstring>

#include "jobinfo/attribute_packet.h"
#include "jobinfo/text_conversion.h"

namespace spoolhook {
namespace {

enum class Layout { CodedText, ShortText, Word32, DateTime, JobIdentifier };

struct AttributeKind {
  DWORD kind;
  WORD attributeId;
  Layout layout;
  DWORD limit;     // text kinds: the most bytes of the text that are sent
  bool sendEmpty;  // coded texts: an empty text still makes a packet
};

constexpr AttributeKind kAttributeKinds[] = {
    {ATTRIBUTE_JOB_TITLE, 0x0004, Layout::CodedText, 32, true},
    {ATTRIBUTE_USER_NAME, 0x0006, Layout::CodedText, 128, false},
    {ATTRIBUTE_ACCOUNT_SHORT, 0x0008, Layout::ShortText, 40, true},
    {ATTRIBUTE_SETTINGS_TIME, 0x0009, Layout::DateTime, 0, false},
    {ATTRIBUTE_ACCOUNT, 0x000A, Layout::CodedText, 80, false},
    {ATTRIBUTE_ACCOUNT_SECOND, 0x000B, Layout::CodedText, 80, false},
    {ATTRIBUTE_ACCOUNT_NUMBER, 0x0012, Layout::Word32, 0, false},
    {ATTRIBUTE_BYTE_COUNT, 0x07D6, Layout::Word32, 0, false},
    {ATTRIBUTE_PLUGIN_VALUE, 0x00C5, Layout::Word32, 0, false},
    {ATTRIBUTE_JOB_IDENTIFIER, 0x0118, Layout::JobIdentifier, 0, false},
    {ATTRIBUTE_DOCUMENT_NAME, 0x0117, Layout::CodedText, 255, false},
};

// Bytes 22 to 37 of every job identifier attribute.
constexpr BYTE kJobIdentifierPrefix[] = {0x8B, 0xF2, 0x3A, 0x27, 0x2E, 0x1E, 0x44, 0xD4,
                                         0xB2, 0x1F, 0x57, 0x32, 0x97, 0xD7, 0x93, 0xAB};

constexpr DWORD kIdOffset = AttributePacket::kPayloadOffset;
constexpr DWORD kValueOffset = kIdOffset + 2;

constexpr WORD kSunday = 0;
constexpr DWORD kSundayNumber = 7;  // the printer counts Monday to Sunday as 1 to 7

DWORD DateWord(const SYSTEMTIME& time) {
  const DWORD weekday = time.wDayOfWeek == kSunday ? kSundayNumber : time.wDayOfWeek;
  return DWORD{time.wYear} << 20 | DWORD{time.wMonth} << 16 | DWORD{time.wDay} << 11 | weekday << 8;
}

DWORD TimeWord(const SYSTEMTIME& time) {
  return DWORD{time.wHour} << 24 | DWORD{time.wMinute} << 16 |
         (DWORD{time.wSecond} * 1000 + time.wMilliseconds);
}

WORD EncodeShortText(AttributePacketBuffer& packet, const char* text, DWORD limit) {
  const std::size_t length = BoundedLength(text, limit);
  packet[kValueOffset] = static_cast<BYTE>(length);
  std::memcpy(packet + kValueOffset + 1, text, length);
  return FinishPacket(packet, static_cast<WORD>(kValueOffset + 1 + length));
}

WORD EncodeWord32(AttributePacketBuffer& packet, const DWORD* value) {
  PutBigEndian32(packet + kValueOffset, *value);
  return FinishPacket(packet, kValueOffset + 4);
}

WORD EncodeDateTime(AttributePacketBuffer& packet, const SYSTEMTIME* value) {
  const SYSTEMTIME time = *value;
  PutBigEndian32(packet + kValueOffset, DateWord(time));
  PutBigEndian32(packet + kValueOffset + 4, TimeWord(time));
  return FinishPacket(packet, kValueOffset + 8);
}

WORD EncodeJobIdentifier(AttributePacketBuffer& packet, const BYTE* block) {
  std::memcpy(packet + kValueOffset, kJobIdentifierPrefix, sizeof kJobIdentifierPrefix);
  std::memcpy(packet + kValueOffset + sizeof kJobIdentifierPrefix, block, kJobIdentifierBlockBytes);
  return FinishPacket(packet,
                      kValueOffset + sizeof kJobIdentifierPrefix + kJobIdentifierBlockBytes);
}

WORD EncodeKind(AttributePacketBuffer& packet, const AttributeKind& kind, const void* value,
                const WORD* code) {
  const char* text = static_cast<const char*>(value);
  switch (kind.layout) {
    case Layout::CodedText:
      if (!kind.sendEmpty && text[0] == '\0') return 0;
      return EncodeCodedText(packet, kind.attributeId, text, code, kind.limit);
    case Layout::ShortText:
      return EncodeShortText(packet, text, kind.limit);
    case Layout::Word32:
      return EncodeWord32(packet, static_cast<const DWORD*>(value));
    case Layout::DateTime:
      return EncodeDateTime(packet, static_cast<const SYSTEMTIME*>(value));
    case Layout::JobIdentifier:
      return EncodeJobIdentifier(packet, static_cast<const BYTE*>(value));
  }
  return 0;
}

}  // namespace

WORD FinishPacket(AttributePacketBuffer& packet, WORD size) {
  PutBigEndian16(packet + AttributePacket::kLengthOffset,
                 static_cast<WORD>(size - AttributePacket::kHeaderBytes));
  return size;
}

WORD EncodeCodedText(AttributePacketBuffer& packet, WORD attributeId, const char* text,
                     const WORD* code, DWORD limit) {
  const std::size_t length = BoundedLength(text, limit);
  PutBigEndian16(packet + kIdOffset, attributeId);
  PutBigEndian16(packet + kValueOffset, code ? *code : kDefaultCharacterSet);
  packet[kValueOffset + 2] = static_cast<BYTE>(length);
  std::memcpy(packet + kValueOffset + 3, text, length);
  return FinishPacket(packet, static_cast<WORD>(kValueOffset + 3 + length));
}

WORD EncodeAttribute(AttributePacketBuffer& packet, DWORD kind, const void* value,
                     const WORD* code) {
  PutBigEndian16(packet + AttributePacket::kOpcodeOffset, PACKET_OPCODE_ATTRIBUTE);
  if (!value) return 0;
  for (const AttributeKind& row : kAttributeKinds) {
    if (row.kind != kind) continue;
    PutBigEndian16(packet + kIdOffset, row.attributeId);
    return EncodeKind(packet, row, value, code);
  }
  return 0;
}

}  // namespace spoolhook
