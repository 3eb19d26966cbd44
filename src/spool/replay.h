// Playing a spooled job back from its spool file through WriteJobData: single entries, whole
// passes in page order (forward or reverse, with paper-source and blank-page callbacks), the
// job as subcommand 104 asks for it, and the spool file's size. Every byte is copied through
// the job's one 4096-byte ReplayBuffer.
#pragma once

#include "engine/job_context.h"

namespace spoolhook {

// Which parts of a page a copy plays; the header and trailer are always played as their lead.
constexpr DWORD PART_LEAD = 0x1;
constexpr DWORD PART_BODY = 0x2;
constexpr DWORD PART_BOTH = PART_LEAD | PART_BODY;

enum class SpoolEntry { kHeader, kTrailer, kPage };

// Opens the replay reader (the copy buffer and a read handle on the spool file). Refused after
// a failed spool write; other failures cancel the output.
BOOL OpenReplay(JobContext* job);
// Closes the reader and frees its buffer; nothing to do when none is open. Always TRUE.
BOOL CloseReplay(JobContext* job);
// Whether a reader is open.
bool IsReplayOpen(const JobContext* job);

// Copies one entry (`page` counts only for kPage, 1 to PageCount) with the parts `parts`
// selects. Needs an open reader.
BOOL ReplayEntry(JobContext* job, SpoolEntry entry, LONG page, DWORD parts);
// `passes` passes of the spooled job in page order, forward or reverse by ReverseOrder.
// Needs an open reader.
BOOL ReplayPasses(JobContext* job, LONG passes);
// Subcommand 104 in page mode: the job `Copies` times when collated, else once. Opens and
// closes its own reader.
BOOL ReplayJob(JobContext* job);
// Subcommand 104 in section mode: one pass per pass section. Opens and closes its own reader.
BOOL ReplayBySections(JobContext* job);

// The spool file's size in bytes into `size`; 0 with success when the file cannot be opened
// (no spool, or still being written).
BOOL GetSpoolSize(JobContext* job, DWORD* size);

}  // namespace spoolhook
