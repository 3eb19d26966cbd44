#include "frame_player.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <string_view>

namespace spoolhook::play {
namespace {

// The count written that the player presets: still this after the call, it was untouched.
constexpr DWORD kUntouched = 0xFFFFFFFFu;

// The calls of the control frames other than the write without buffer.
struct ControlCall {
  ControlCode code;
  std::string_view fn;
  // The result, for the functions that return one.
  std::optional<bool> (*call)(const EntryPoints& library, HANDLE job);
  bool endsDocument;  // the closing DrvSplEndDoc is not called then
};

const ControlCall kControlCalls[] = {
    {ControlCode::kStartPage, "DrvSplStartPage",
     [](const EntryPoints& library, HANDLE job) -> std::optional<bool> {
       return library.startPage(job) != FALSE;
     },
     false},
    {ControlCode::kEndPage, "DrvSplEndPage",
     [](const EntryPoints& library, HANDLE job) -> std::optional<bool> {
       return library.endPage(job) != FALSE;
     },
     false},
    {ControlCode::kAbort, "DrvSplAbort",
     [](const EntryPoints& library, HANDLE job) -> std::optional<bool> {
       library.abort(job);
       return std::nullopt;
     },
     true},
    {ControlCode::kEndDoc, "DrvSplEndDoc",
     [](const EntryPoints& library, HANDLE job) -> std::optional<bool> {
       library.endDoc(job);
       return std::nullopt;
     },
     true},
};

// One DrvSplWritePrinter call with the frame's bytes, or with no buffer for none.
CallEvent WriteRecord(const EntryPoints& library, HANDLE job, std::size_t n,
                      std::optional<std::string_view> data) {
  CallEvent event;
  event.n = n;
  event.fn = "DrvSplWritePrinter";
  event.writePrinter = true;
  const DWORD count = data ? static_cast<DWORD>(data->size()) : 0;
  if (count >= 4) event.id = LittleEndianWord(*data, 0);
  // The library gets a buffer of its own, of exactly the frame's size (one byte for an empty
  // frame, so that its buffer is still there).
  std::vector<char> buffer(data ? std::max<std::size_t>(count, 1) : 0);
  if (data) std::copy(data->begin(), data->end(), buffer.begin());
  DWORD written = kUntouched;
  event.result =
      library.writePrinter(job, data ? buffer.data() : nullptr, count, &written) != FALSE;
  if (written != kUntouched) event.written = written;
  return event;
}

CallEvent PlayFrame(const EntryPoints& library, HANDLE job, std::size_t n, const Frame& frame,
                    bool& documentEnded) {
  if (!frame.control) return WriteRecord(library, job, n, frame.data);
  if (frame.code == ControlCode::kWriteNothing) return WriteRecord(library, job, n, std::nullopt);
  const ControlCall& control =
      *std::find_if(std::begin(kControlCalls), std::end(kControlCalls),
                    [&frame](const ControlCall& entry) { return entry.code == frame.code; });
  documentEnded = documentEnded || control.endsDocument;
  CallEvent event;
  event.n = n;
  event.fn = control.fn;
  event.result = control.call(library, job);
  return event;
}

}  // namespace

void PlayFrames(const EntryPoints& library, HANDLE job, const std::vector<Frame>& frames,
                PlayLog& log) {
  bool documentEnded = false;
  for (std::size_t n = 0; n < frames.size(); ++n) {
    log.Call(PlayFrame(library, job, n, frames[n], documentEnded));
  }
  if (!documentEnded) library.endDoc(job);
  library.close(job);
}

}  // namespace spoolhook::play
