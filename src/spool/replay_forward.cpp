// Forward page order: groups of pages from page 1 on, each page lead then body. A group is a
// page with the pages after it that have no lead, at most one side (one-sided) or one sheet
// (two-sided).
#include "spool/replay.h"
#include "spool/replay_steps.h"

namespace spoolhook {
namespace {

// The size of the forward group that starts at page `start`; 0 when there is no such page.
LONG GroupSize(const JobContext* job, LONG start) {
  const LONG pageCount = job->PageIndex.PageCount;
  if (start < 1 || start > pageCount) return 0;
  LONG limit = job->PagesPerSide;
  if (job->DuplexMode) {
    limit = 2 * job->PagesPerSide;
  } else if (job->PagesPerSide == 1) {
    return 1;
  }
  const LONG most = limit < pageCount - start + 1 ? limit : pageCount - start + 1;
  if (most <= 1) return 1;
  LONG size = 1;
  while (size < most && !PageHasLead(job, start + size)) ++size;
  return size;
}

// The paper source ahead of a group by its place in the job: the first group, the last, or
// the second. True when DefaultBin is to follow the group.
bool SendGroupSource(JobContext* job, LONG start, LONG size, LONG end) {
  const LONG pageCount = job->PageIndex.PageCount;
  if (start == 1) {
    if (!UsesBins(job) || SkipsDefaultBin(job, job->FirstBin)) return false;
    CallPaperSource(job, job->FirstBin, TYPE_UNCHANGED);
    return end < pageCount;
  }
  if (end == pageCount) {
    if (UsesBins(job) && job->LastBin != job->DefaultBin) {
      CallPaperSource(job, job->LastBin, TYPE_UNCHANGED);
    }
    return false;
  }
  if (start == size + 1 && job->PaperSourceMode == PAPER_FIRST_SECOND_LAST &&
      job->SecondBin != job->DefaultBin) {
    CallPaperSource(job, job->SecondBin, TYPE_UNCHANGED);
    return true;
  }
  return false;
}

// Plays the group that starts at `page` and moves `page` past it.
BOOL PlayGroup(JobContext* job, LONG& page, bool paperSources, DWORD parts) {
  const LONG start = page;
  const LONG size = GroupSize(job, start);
  if (size == 0) return FALSE;
  const LONG end = start + size - 1;
  const bool restore =
      paperSources && job->PaperSourceCallback && SendGroupSource(job, start, size, end);
  for (LONG i = start; i <= end; ++i) {
    if (!ReplayEntry(job, SpoolEntry::kPage, i, parts)) return FALSE;
  }
  if (restore) CallPaperSource(job, job->DefaultBin, TYPE_UNCHANGED);
  page = end + 1;
  return TRUE;
}

// The interleaf sheet after the group that started at `start`: the bodies again or blank
// pages, from InterleafBin.
BOOL PlayInterleaf(JobContext* job, LONG start) {
  CallPaperSource(job, job->InterleafBin, TYPE_INTERLEAF);
  if (job->InterleafOptions & INTERLEAF_REPEAT_BODIES) {
    if (!PlayGroup(job, start, false, PART_BODY)) return FALSE;
  } else {
    CallBlankPages(job, job->PagesPerSide);
  }
  CallPaperSource(job, job->DefaultBin, TYPE_DEFAULT);
  return TRUE;
}

}  // namespace

BOOL ReplayForward(JobContext* job, LONG passes) {
  if (IsJobOutputCancelled(job)) return TRUE;
  if (passes <= 0 || !job->ReplayBuffer || !IsReplayOpen(job)) return FALSE;
  job->Spooling = 0;
  for (LONG pass = 0; pass < passes; ++pass) {
    if (!ReplayEntry(job, SpoolEntry::kHeader, 0, PART_LEAD)) return FALSE;
    for (LONG page = 1; page <= job->PageIndex.PageCount;) {
      const LONG start = page;
      if (!PlayGroup(job, page, true, PART_BOTH)) return FALSE;
      if (job->PaperSourceMode == PAPER_INTERLEAF && !PlayInterleaf(job, start)) return FALSE;
    }
    if (!ReplayEntry(job, SpoolEntry::kTrailer, 0, PART_LEAD)) return FALSE;
  }
  return TRUE;
}

}  // namespace spoolhook
