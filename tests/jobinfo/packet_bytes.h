// Expected packet bytes for tests, written out as hexadecimal pairs, and the splitting of a
// stream of packets at their length fields.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

namespace spoolhook::testing {

// Bytes from hexadecimal pairs separated by spaces: "CD CA 10".
inline std::string Hex(const std::string& pairs) {
  std::string bytes;
  for (std::size_t i = 0; i < pairs.size();) {
    if (pairs[i] == ' ') {
      ++i;
      continue;
    }
    bytes.push_back(char(std::stoi(pairs.substr(i, 2), nullptr, 16)));
    i += 2;
  }
  return bytes;
}

// A packet with the untagged header: CD CA 10 00, the opcode, 00 01, the length field, then
// FF FF 00 00 and eight zero bytes, then the payload.
inline std::string Untagged(const std::string& opcode, const std::string& length,
                            const std::string& payload) {
  return Hex("CD CA 10 00 " + opcode + " 00 01 " + length + " FF FF 00 00 00 00 00 00 00 00") +
         payload;
}
inline std::string Attribute(const std::string& length, const std::string& payload) {
  return Untagged("00 12", length, payload);
}
inline std::string ExtAttribute(const std::string& length, const std::string& payload) {
  return Untagged("00 15", length, payload);
}

// Splits `stream` into packets by their length fields (bytes 8 and 9, big-endian); a rest
// too short for its header or its length ends the list as it is.
inline std::vector<std::string> SplitPackets(const std::string& stream) {
  std::vector<std::string> packets;
  for (std::size_t at = 0; at < stream.size();) {
    std::size_t size = stream.size() - at;
    if (size >= 20) {
      const std::size_t length = std::size_t(static_cast<unsigned char>(stream[at + 8])) << 8 |
                                 static_cast<unsigned char>(stream[at + 9]);
      size = std::min(size, 20 + length);
    }
    packets.push_back(stream.substr(at, size));
    at += size;
  }
  return packets;
}

}  // namespace spoolhook::testing
