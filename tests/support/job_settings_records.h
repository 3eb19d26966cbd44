// Builds job settings records (id 0x1000) for tests: subcommand 1 with the driver's settings,
// subcommands 2 and 3 with a text.
#pragma once

#include <cstdint>
#include <string>

#include "support/records.h"

namespace spoolhook::testing {

struct JobSettings {
  std::uint32_t commandBracketOn = 0;
  std::uint32_t dataWrapperOn = 0;
  std::uint32_t blankPageValue = 0;
  std::uint32_t typeCommandOn = 0;
  std::uint16_t jobInfoFlags = 0;
  std::uint32_t packetTagOn = 0;
  std::uint32_t packetTagFirst = 0;
  std::uint32_t packetTagSecond = 0;
  std::uint32_t altMode = 0;
  std::uint8_t typeCommandDefault = 0;
  std::uint16_t nameSelectFlags = 0;
  std::uint32_t nameSelectA = 0;
  std::uint32_t nameSelectB = 0;
  std::uint32_t nameSelectMask = 0;
  std::string userName = {};  // at most 32 bytes; NUL-padded into the record
  std::string jobTitle = {};  // at most 32 bytes
};

// Subcommand 1: the 136-byte settings record.
inline Record JobSettingsRecord(const JobSettings& s) {
  auto u16 = [](std::uint16_t value) { return std::string{char(value & 0xFF), char(value >> 8)}; };
  auto field32 = [](std::string text) {
    text.resize(32, '\0');
    return text;
  };
  return Record(0x1000)
      .U32(1)
      .U32(s.commandBracketOn)
      .U32(s.dataWrapperOn)
      .U32(s.blankPageValue)
      .U32(s.typeCommandOn)
      .Bytes(u16(s.jobInfoFlags))
      .PadTo(32)
      .U32(s.packetTagOn)
      .U32(s.packetTagFirst)
      .U32(s.packetTagSecond)
      .U32(0)
      .U32(s.altMode)
      .Bytes(std::string(1, char(s.typeCommandDefault)))
      .PadTo(56)
      .Bytes(u16(s.nameSelectFlags))
      .PadTo(60)
      .U32(s.nameSelectA)
      .U32(s.nameSelectB)
      .U32(s.nameSelectMask)
      .Bytes(field32(s.userName))
      .Bytes(field32(s.jobTitle));
}

// Subcommand 2 (document name) or 3 (second job title): the text at offset 20.
inline Record JobSettingsTextRecord(std::uint32_t subcommand, const std::string& text) {
  return Record(0x1000).U32(subcommand).PadTo(20).Text(text);
}

}  // namespace spoolhook::testing
