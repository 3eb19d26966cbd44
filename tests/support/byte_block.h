// Expected blocks for tests: a zero-filled block of a given size with values put at their
// offsets (numbers little-endian), and hexadecimal forms to compare with.
#pragma once

#include <cstdint>
#include <string>

namespace spoolhook::testing {

class ByteBlock {
 public:
  explicit ByteBlock(std::size_t size) : bytes_(size, '\0') {}

  ByteBlock& U8(std::size_t offset, std::uint8_t value) {
    bytes_.at(offset) = char(value);
    return *this;
  }
  ByteBlock& U16(std::size_t offset, std::uint16_t value) {
    return U8(offset, value & 0xFF).U8(offset + 1, value >> 8);
  }
  ByteBlock& U32(std::size_t offset, std::uint32_t value) {
    return U16(offset, value & 0xFFFF).U16(offset + 2, value >> 16);
  }
  // The bytes of `text` (no terminator) from `offset`.
  ByteBlock& Text(std::size_t offset, const std::string& text) {
    bytes_.replace(offset, text.size(), text);
    return *this;
  }
  // Bytes given as hexadecimal digits, spaces ignored.
  ByteBlock& Hex(std::size_t offset, const std::string& digits);

  const std::string& bytes() const { return bytes_; }
  std::string hex() const;

 private:
  std::string bytes_;
};

// Lower-case hexadecimal digits of `bytes`, no separators.
inline std::string HexOf(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char byte : bytes) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0xF];
  }
  return hex;
}

inline std::string ByteBlock::hex() const { return HexOf(bytes_); }

inline ByteBlock& ByteBlock::Hex(std::size_t offset, const std::string& digits) {
  std::string packed;
  for (char digit : digits) {
    if (digit != ' ') packed += digit;
  }
  for (std::size_t i = 0; i + 1 < packed.size(); i += 2) {
    U8(offset + i / 2, std::uint8_t(std::stoul(packed.substr(i, 2), nullptr, 16)));
  }
  return *this;
}

}  // namespace spoolhook::testing
