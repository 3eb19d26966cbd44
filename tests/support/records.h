// Builds command records byte by byte for tests: little-endian words, texts at fixed offsets.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

namespace spoolhook::testing {

class Record {
 public:
  // A record with its id and a zero second word.
  explicit Record(std::uint32_t id) { U32(id).U32(0); }

  Record& U32(std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(char((value >> shift) & 0xFF));
    return *this;
  }
  Record& I32(std::int32_t value) { return U32(static_cast<std::uint32_t>(value)); }
  Record& Bytes(const std::string& bytes) {
    bytes_ += bytes;
    return *this;
  }
  // Zero bytes up to `offset`.
  Record& PadTo(std::size_t offset) {
    if (bytes_.size() < offset) bytes_.resize(offset, '\0');
    return *this;
  }
  // An ANSI text with its terminator.
  Record& Text(const std::string& text) { return Bytes(text).Bytes(std::string(1, '\0')); }
  // A UTF-16 text with its terminator.
  Record& WideText(const std::u16string& text) {
    for (char16_t unit : text) {
      bytes_.push_back(char(unit & 0xFF));
      bytes_.push_back(char(unit >> 8));
    }
    return Bytes(std::string(2, '\0'));
  }

  const std::string& bytes() const { return bytes_; }
  std::uint32_t size() const { return static_cast<std::uint32_t>(bytes_.size()); }

 private:
  std::string bytes_;
};

// Settings record (id 1): format tag, subcommand, value, data.
inline Record SettingsRecord(std::uint32_t subcommand, std::int32_t value,
                             const std::string& data = {}, std::uint32_t format = 30) {
  return Record(1).U32(format).U32(subcommand).I32(value).Bytes(data);
}

// String record (id 5) with an ANSI text at offset 40.
inline Record StringRecord(std::uint32_t subcommand, const std::string& text,
                           std::uint32_t index = 0, std::uint32_t format = 1) {
  return Record(5).U32(format).U32(subcommand).U32(index).PadTo(40).Text(text);
}

// String record (id 5) subcommand 6 with a UTF-16 text at offset 20.
inline Record CapturePathRecord(const std::u16string& path) {
  return Record(5).U32(1).U32(6).U32(0).WideText(path);
}

// Spool record (id 2): subcommand, parameter (a case or a page), then the value slots.
inline Record SpoolRecord(std::uint32_t subcommand, std::int32_t parameter = 0,
                          std::initializer_list<std::uint32_t> slots = {}) {
  Record record(2);
  record.U32(subcommand).I32(parameter);
  for (std::uint32_t slot : slots) record.U32(slot);
  return record;
}

// Spool control record (id 0x1001): subcommand, then the fields behind it.
inline Record SpoolControlRecord(std::uint32_t subcommand,
                                 std::initializer_list<std::uint32_t> fields = {}) {
  Record record(0x1001);
  record.U32(subcommand);
  for (std::uint32_t field : fields) record.U32(field);
  return record;
}

// Overlay file record (id 3): the subcommand and the two payload words behind it.
inline Record OverlayRecord(std::uint32_t subcommand, std::uint32_t second = 0,
                            std::uint32_t third = 0) {
  return Record(3).U32(subcommand).U32(second).U32(third);
}

// Raw data record (id 0).
inline Record RawDataRecord(const std::string& data) { return Record(0).Bytes(data); }

// Overlay download record (0x1050): the subcommand and the two payload words behind it.
inline Record OverlayDownloadRecord(std::uint32_t subcommand, std::uint32_t second = 0,
                                    std::uint32_t third = 0) {
  return Record(0x1050).U32(subcommand).U32(second).U32(third);
}

// The check fields of record 0x1050 subcommand 13.
struct OverlayCheck {
  std::uint16_t orientation = 0;
  std::uint16_t scalingOrLayout = 0;  // non-zero: in use
  std::int16_t resolution = 0;
  std::uint16_t compatibility = 0;  // 0: used as a compatible overlay file
  std::uint16_t colourMode = 0;
  std::uint16_t paperSize = 0;
  std::int16_t slot = 0;
  std::uint16_t geometry[4] = {};
};

// Record 0x1050 subcommand 13, 46 bytes: the words at 12, 20, 26 and 34 are left zero.
inline Record OverlayCheckRecord(const OverlayCheck& check) {
  std::string fields(46 - 12, '\0');
  auto put = [&fields](std::size_t offset, std::uint16_t value) {
    fields[offset - 12] = char(value & 0xFF);
    fields[offset - 11] = char(value >> 8);
  };
  put(16, check.orientation);
  put(18, check.scalingOrLayout);
  put(24, static_cast<std::uint16_t>(check.resolution));
  put(28, check.compatibility);
  put(30, check.colourMode);
  put(32, check.paperSize);
  put(36, static_cast<std::uint16_t>(check.slot));
  for (int i = 0; i < 4; ++i) put(38 + 2 * i, check.geometry[i]);
  return Record(0x1050).U32(13).Bytes(fields);
}

}  // namespace spoolhook::testing
