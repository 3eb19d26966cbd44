// Plays the frames of a record stream on a started job through the library's entry points,
// as the spooler calls them, and logs each call. The player links the library in; the Wine
// spooler test loads the DLL and hands over its exports.
#pragma once

#include <vector>

#include "engine/exports.h"
#include "play_log.h"
#include "record_stream.h"

namespace spoolhook::play {

// Every frame's call in order, then DrvSplEndDoc unless a frame ended or aborted the
// document, then DrvSplClose.
void PlayFrames(const EntryPoints& library, HANDLE job, const std::vector<Frame>& frames,
                PlayLog& log);

}  // namespace spoolhook::play
