// The pieces the page-order replays are built from.
#pragma once

#include "engine/job_context.h"

namespace spoolhook {

// Copies section n (1 to the table's Count) of PassSections or CycleSections.
BOOL ReplaySectionEntry(JobContext* job, const SectionTable& table, LONG section);

BOOL ReplayForward(JobContext* job, LONG passes);
BOOL ReplayReverse(JobContext* job, LONG passes);

// Whether page n exists and has a lead part.
bool PageHasLead(const JobContext* job, LONG page);
// The callbacks, skipped when the job has none.
void CallPaperSource(JobContext* job, std::int16_t paperSource, LONG typeRequest);
void CallBlankPages(JobContext* job, LONG count);
// Whether PaperSourceMode gives the first, (second) and last sheets their own bins.
bool UsesBins(const JobContext* job);
// Whether ReplayOptions bit 12 leaves out `bin` because it equals DefaultBin.
bool SkipsDefaultBin(const JobContext* job, std::int16_t bin);
// PagesPerSide as a group size: a value below 1 counts as 1.
LONG SideSize(const JobContext* job);

// ReplayOptions bit 12: the bins that equal DefaultBin are not sent for some sheets.
constexpr DWORD REPLAY_SKIP_DEFAULT_BIN = 0x1000;
// InterleafOptions bit 1: print the bodies again on each interleaf sheet.
constexpr DWORD INTERLEAF_REPEAT_BODIES = 0x2;
// PaperSourceMode values.
constexpr std::int16_t PAPER_FIRST_LAST = 1;
constexpr std::int16_t PAPER_FIRST_SECOND_LAST = 2;
constexpr std::int16_t PAPER_INTERLEAF = 3;
// Type requests of the paper-source callback.
constexpr LONG TYPE_UNCHANGED = -1;
constexpr LONG TYPE_INTERLEAF = 2;
constexpr LONG TYPE_DEFAULT = 4;

}  // namespace spoolhook
