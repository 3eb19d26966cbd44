// One run of `spoolhook play`: the simulated machine, spooler and fault injector set up from
// the options, then the job played through the library's entry points.
#pragma once

#include "play_options.h"

namespace spoolhook::play {

// Exit statuses of the player.
constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;  // the run could not be set up, or its output not written
constexpr int kExitUsage = 2;   // bad usage or a malformed stream: nothing was called
constexpr int kExitNoJob = 3;   // DrvSplStartDoc returned no job

// Plays the job; messages go to standard error.
int RunPlay(const PlayOptions& options);

}  // namespace spoolhook::play
