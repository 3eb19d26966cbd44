#include "record_stream.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

namespace spoolhook::play {
namespace {

constexpr std::uint32_t kControlMarker = 0xFFFFFFFFu;
constexpr std::size_t kWordSize = 4;

bool IsControlCode(std::uint32_t code) {
  return code >= static_cast<std::uint32_t>(ControlCode::kStartPage) &&
         code <= static_cast<std::uint32_t>(ControlCode::kWriteNothing);
}

bool Fault(StreamFault& fault, std::size_t offset, std::string reason) {
  fault = {offset, std::move(reason)};
  return false;
}

}  // namespace

std::uint32_t LittleEndianWord(std::string_view bytes, std::size_t offset) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < kWordSize; ++i) {
    value |= std::uint32_t{static_cast<unsigned char>(bytes[offset + i])} << (8 * i);
  }
  return value;
}

bool ReadStreamInput(const std::string& path, std::string& bytes, std::string& error) {
  const bool standardInput = path == "-";
  std::FILE* file = standardInput ? stdin : std::fopen(path.c_str(), "rb");
  if (!file) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  bytes.clear();
  char chunk[65536];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
  const bool failed = std::ferror(file) != 0;
  if (failed) error = "cannot read " + path + ": " + std::strerror(errno);
  if (!standardInput) std::fclose(file);
  return !failed;
}

bool ParseRecordStream(std::string_view bytes, std::vector<Frame>& frames, StreamFault& fault) {
  frames.clear();
  std::size_t offset = 0;
  while (offset < bytes.size()) {
    const std::size_t left = bytes.size() - offset;
    if (left < kWordSize) {
      return Fault(fault, offset,
                   std::to_string(left) + " trailing bytes, too few for a frame's length word");
    }
    Frame frame;
    frame.offset = offset;
    const std::uint32_t length = LittleEndianWord(bytes, offset);
    if (length == kControlMarker) {
      if (left < 2 * kWordSize) {
        return Fault(fault, offset + kWordSize,
                     "control frame cut short: " + std::to_string(left - kWordSize) +
                         " of the 4 bytes of its code");
      }
      const std::uint32_t code = LittleEndianWord(bytes, offset + kWordSize);
      if (!IsControlCode(code)) {
        return Fault(fault, offset + kWordSize,
                     "unknown control code " + std::to_string(code) + " (codes are 1 to 5)");
      }
      frame.control = true;
      frame.code = static_cast<ControlCode>(code);
      offset += 2 * kWordSize;
    } else {
      if (left - kWordSize < length) {
        return Fault(fault, offset,
                     "data frame of " + std::to_string(length) + " bytes, but only " +
                         std::to_string(left - kWordSize) + " follow its length word");
      }
      frame.data = bytes.substr(offset + kWordSize, length);
      offset += kWordSize + length;
    }
    frames.push_back(frame);
  }
  return true;
}

}  // namespace spoolhook::play
