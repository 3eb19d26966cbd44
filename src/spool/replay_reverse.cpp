// Reverse page order: groups from the last to the first, the pages inside a group in
// ascending order, bodies only. The lead of the page that follows a group is played ahead of
// it; two-sided jobs with an odd number of sides start with a blank side.
#include "spool/replay.h"
#include "spool/replay_steps.h"

namespace spoolhook {
namespace {

constexpr DWORD DUPLEX_WHOLE_SHEETS = 4;

// The paper source ahead of a reverse group that ends at page `last`, by its place: the first
// sheet (`sheet` pages), the last group, or the second sheet. True when DefaultBin is due
// after it. Nothing is sent for the first sheet while a restore is still pending.
bool SendReverseSource(JobContext* job, LONG last, LONG sheet, bool pending) {
  if (last <= sheet) {
    if (!UsesBins(job) || job->FirstBin == job->DefaultBin || pending) return false;
    CallPaperSource(job, job->FirstBin, TYPE_UNCHANGED);
    return true;
  }
  if (last == job->PageIndex.PageCount) {
    if (!UsesBins(job) || SkipsDefaultBin(job, job->LastBin)) return false;
    CallPaperSource(job, job->LastBin, TYPE_UNCHANGED);
    return true;
  }
  if (last == 2 * sheet && job->PaperSourceMode == PAPER_FIRST_SECOND_LAST &&
      job->SecondBin != job->DefaultBin) {
    CallPaperSource(job, job->SecondBin, TYPE_UNCHANGED);
    return true;
  }
  return false;
}

// One side group ending at page `cur`, filled up with blank pages; moves `cur` before the
// group when every copy succeeded. In two-sided play the restore of DefaultBin waits for the
// other side of the sheet (`pending`).
BOOL PlayReverseSide(JobContext* job, LONG& cur, bool paperSources, bool& pending, DWORD parts) {
  const LONG pageCount = job->PageIndex.PageCount;
  const LONG side = SideSize(job);
  const LONG inGroup = cur % side == 0 ? side : cur % side;
  const LONG start = cur - inGroup + 1;
  const LONG sheet = job->DuplexMode ? 2 * side : side;
  const bool restore =
      paperSources && job->PaperSourceCallback && SendReverseSource(job, cur, sheet, pending);
  const LONG sides = (pageCount + side - 1) / side;
  if (job->DuplexMode && cur == pageCount && sides % 2 == 1) {
    CallBlankPages(job, side);
    if (restore && !pending) pending = true;
  }
  BOOL result = TRUE;
  LONG left = side;
  for (LONG page = start; left > 0 && page <= pageCount; ++page, --left) {
    result = ReplayEntry(job, SpoolEntry::kPage, page, parts);
    if (!result) break;
  }
  CallBlankPages(job, left);
  if (result) cur = start - 1;
  if (restore || pending) {
    if (job->DuplexMode && !pending) {
      pending = true;
    } else {
      CallPaperSource(job, job->DefaultBin, TYPE_UNCHANGED);
      pending = false;
    }
  }
  return result;
}

// DuplexMode 4: one whole-sheet group ending at `cur`, without blank pages; GroupPadCallback
// hears of a short group.
BOOL PlayReverseSheet(JobContext* job, LONG& cur, bool paperSources, DWORD parts) {
  const LONG group = 2 * SideSize(job);
  const bool restore =
      paperSources && job->PaperSourceCallback && SendReverseSource(job, cur, group, false);
  const LONG inGroup = cur % group;
  const LONG start = inGroup ? cur - inGroup + 1 : cur - group + 1;
  const LONG missing = inGroup ? group - inGroup : 0;
  for (LONG page = start; page <= cur; ++page) {
    if (!ReplayEntry(job, SpoolEntry::kPage, page, parts)) return FALSE;
  }
  if (missing > 0 && job->GroupPadCallback) job->GroupPadCallback(job, group, group - missing);
  if (restore) CallPaperSource(job, job->DefaultBin, TYPE_UNCHANGED);
  cur = start - 1;
  return TRUE;
}

// The interleaf sheet ahead of the group that ends at `cur`: its bodies again or blank pages,
// from InterleafBin.
BOOL PlayInterleaf(JobContext* job, LONG cur, bool& pending) {
  CallPaperSource(job, job->InterleafBin, TYPE_INTERLEAF);
  if (job->InterleafOptions & INTERLEAF_REPEAT_BODIES) {
    if (!PlayReverseSide(job, cur, false, pending, PART_BODY)) return FALSE;
  } else {
    CallBlankPages(job, job->PagesPerSide);
  }
  CallPaperSource(job, job->DefaultBin, TYPE_DEFAULT);
  return TRUE;
}

}  // namespace

BOOL ReplayReverse(JobContext* job, LONG passes) {
  bool pending = false;  // kept across passes
  if (IsJobOutputCancelled(job)) return TRUE;
  if (passes <= 0) return FALSE;
  job->Spooling = 0;
  if (!job->ReplayBuffer || !IsReplayOpen(job)) return FALSE;
  const LONG pageCount = job->PageIndex.PageCount;
  for (LONG pass = 0; pass < passes; ++pass) {
    if (!ReplayEntry(job, SpoolEntry::kHeader, 0, PART_LEAD)) return FALSE;
    for (LONG cur = pageCount; cur > 0;) {
      if (job->PaperSourceMode == PAPER_INTERLEAF && !PlayInterleaf(job, cur, pending)) {
        return FALSE;
      }
      // The lead of the page after the group; what it sends does not decide the replay.
      if (cur < pageCount && PageHasLead(job, cur + 1)) {
        ReplayEntry(job, SpoolEntry::kPage, cur + 1, PART_LEAD);
      }
      const BOOL played = job->DuplexMode == DUPLEX_WHOLE_SHEETS
                              ? PlayReverseSheet(job, cur, true, PART_BODY)
                              : PlayReverseSide(job, cur, true, pending, PART_BODY);
      if (!played) return FALSE;
    }
    if (!ReplayEntry(job, SpoolEntry::kTrailer, 0, PART_LEAD)) return FALSE;
  }
  return TRUE;
}

}  // namespace spoolhook
