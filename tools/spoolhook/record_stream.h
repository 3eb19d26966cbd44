// The record stream file of `spoolhook play`: data frames (u32 length, then the buffer of
// one DrvSplWritePrinter call) and control frames (u32 0xFFFFFFFF, then u32 code), all
// little-endian, nothing before, between or after them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace spoolhook::play {

enum class ControlCode : std::uint32_t {
  kStartPage = 1,
  kEndPage = 2,
  kAbort = 3,
  kEndDoc = 4,
  kWriteNothing = 5,  // DrvSplWritePrinter with no buffer and a byte count of 0
};

struct Frame {
  std::size_t offset = 0;  // where the frame starts in the stream
  bool control = false;
  ControlCode code = ControlCode::kWriteNothing;  // control frames
  std::string_view data;                          // data frames: a view into the stream
};

// What makes a stream malformed, and the byte offset of the faulty field.
struct StreamFault {
  std::size_t offset = 0;
  std::string reason;
};

// The little-endian u32 at `offset`; the caller makes sure that 4 bytes are there.
std::uint32_t LittleEndianWord(std::string_view bytes, std::size_t offset);

// Reads every byte of the file at `path`, or of standard input for "-"; false with a
// message when it cannot be read.
bool ReadStreamInput(const std::string& path, std::string& bytes, std::string& error);

// Splits a whole stream into its frames, the data frames viewing into `bytes`; false with
// the fault for a malformed stream.
bool ParseRecordStream(std::string_view bytes, std::vector<Frame>& frames, StreamFault& fault);

}  // namespace spoolhook::play
