// Reading the overlay files that a job uses, by overlay slot 0 to 7 (OverlayPaths). The
// overlay download records call these too. Each opens its file shared for reading and closes
// it again before it returns.
#pragma once

#include "engine/job_context.h"
#include "overlay/overlay_header.h"

namespace spoolhook {

// The slot's 387-byte header into `buffer`. FALSE without a buffer, for a slot outside 0 to 7
// or without a path (JobError 0); with JobError 32 when the file cannot be opened and 33 when
// it holds less than a header, both setting ErrorLatched.
BOOL ReadOverlayHeader(JobContext* job, int slot, BYTE* buffer);

// The slot's status code: OVERLAY_OK, OVERLAY_NOT_AN_OVERLAY when the signature differs, or
// OVERLAY_UNREADABLE when the header cannot be read.
DWORD CheckOverlaySignature(JobContext* job, int slot);

// The bytes from the header's data offset to the end of the file; -1 when the slot has no
// file, the file cannot be opened (JobError 32, ErrorLatched) or read, or the data offset
// lies past its end.
LONG GetOverlayDataLength(JobContext* job, int slot);

// The paper size code of a header as the job states it: 260 is 43, 263 is 71, 261 is 91 and
// 264 is 82; every other code is the same for both.
WORD TranslateOverlayPaperSize(WORD headerCode);

// The JobError for a failed overlay check: 48 for OVERLAY_NOT_AN_OVERLAY, 64 for the warning
// OVERLAY_PAGE_MISMATCH, 0 for anything else.
DWORD OverlayErrorCode(DWORD status);

}  // namespace spoolhook
