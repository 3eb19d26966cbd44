// Downloading the overlay files a job uses to the printer, by overlay slot 0 to 7: the
// download command that announces a form's size, the form data, and the size as text. All
// of it goes out through SendWrapped: behind a data wrapper when the job asks for one, and
// into the spool file while the job is spooling.
#pragma once

#include "engine/job_context.h"

namespace spoolhook {

// "\x1B[n;0.w" and the 12-byte block, in one piece. n = 12 + `extensionLength` + the slot's
// data length counts the bytes behind the command text: the block, the extension bytes
// (which the job's own data supply) and the form data. FALSE when the slot's data length
// cannot be had or n does not fit a signed 32-bit number; the job's output goes on.
BOOL SendOverlayDownloadCommand(JobContext* job, int slot, DWORD extensionLength);

// The slot's form data, from the header's data offset to the end of the file, in blocks of
// 4096 bytes; the last block is shorter, and empty when the data end on a block boundary.
// FALSE at once for a slot without a path; any later failure (the file cannot be opened, its
// data offset read whole or reached, a block read or sent) ends the job's output too.
BOOL SendOverlayData(JobContext* job, int slot);

// The slot's data length in decimal digits, without terminator or line end. FALSE when the
// length cannot be had.
BOOL SendOverlaySizeText(JobContext* job, int slot);

}  // namespace spoolhook
