#include "jobinfo/attribute_packet.h"

#include <cstring>

namespace spoolhook {
namespace {

constexpr BYTE kHeaderLead[] = {0xCD, 0xCA, 0x10};
constexpr WORD kHeaderUnit = 0x0001;
constexpr DWORD kUntaggedFirst = 0xFFFF0000;

}  // namespace

WORD ToBigEndian16(WORD value) { return static_cast<WORD>(value << 8 | value >> 8); }

DWORD ToBigEndian32(DWORD value) {
  return value << 24 | (value & 0xFF00) << 8 | (value >> 8 & 0xFF00) | value >> 24;
}

void PutBigEndian16(BYTE* at, WORD value) {
  const WORD bigEndian = ToBigEndian16(value);
  std::memcpy(at, &bigEndian, sizeof bigEndian);
}

void PutBigEndian32(BYTE* at, DWORD value) {
  const DWORD bigEndian = ToBigEndian32(value);
  std::memcpy(at, &bigEndian, sizeof bigEndian);
}

void InitPacketHeader(BYTE* packet, DWORD tagOn, DWORD tagFirst, DWORD tagSecond) {
  std::memset(packet, 0, AttributePacket::kHeaderBytes);
  std::memcpy(packet, kHeaderLead, sizeof kHeaderLead);
  PutBigEndian16(packet + 6, kHeaderUnit);
  PutBigEndian32(packet + AttributePacket::kTagFirstOffset, tagOn ? tagFirst : kUntaggedFirst);
  PutBigEndian32(packet + AttributePacket::kTagSecondOffset, tagOn ? tagSecond : 0);
}

}  // namespace spoolhook
