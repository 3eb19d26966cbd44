// The event log of `spoolhook play`: one JSON object a line, written and flushed as things
// happen.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace spoolhook::play {

// One frame's call. DrvSplWritePrinter lines carry the record id and the count written
// (null when absent); the others carry the result when their function returns one.
struct CallEvent {
  std::size_t n = 0;
  std::string_view fn;
  bool writePrinter = false;
  std::optional<std::uint32_t> id;
  std::optional<bool> result;
  std::optional<std::uint32_t> written;
};

// A JSON string literal of a UTF-16 text, in UTF-8; an unpaired surrogate is kept as its
// \u escape.
std::string JsonString(std::u16string_view text);

class PlayLog {
 public:
  // No file: nothing is logged.
  explicit PlayLog(std::FILE* file) : file_(file) {}

  void Call(const CallEvent& event);
  void Popup(std::u16string_view to, std::u16string_view text);
  // Whether every line reached the file.
  bool ok() const { return ok_; }

 private:
  void Line(const std::string& line);

  std::FILE* file_;
  std::mutex mutex_;  // pop-ups may come from any thread the library sends them on
  bool ok_ = true;
};

}  // namespace spoolhook::play
