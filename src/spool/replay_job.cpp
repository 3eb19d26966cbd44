#include "spool/page_marks.h"
#include "spool/replay.h"
#include "spool/replay_steps.h"

namespace spoolhook {

bool PageHasLead(const JobContext* job, LONG page) {
  const PageEntry* entry = FindPage(job, page);
  return entry && (entry->EntryFlags & ENTRY_HAS_LEAD);
}

void CallPaperSource(JobContext* job, std::int16_t paperSource, LONG typeRequest) {
  if (job->PaperSourceCallback) job->PaperSourceCallback(job, paperSource, typeRequest);
}

void CallBlankPages(JobContext* job, LONG count) {
  if (!job->BlankPageCallback) return;
  for (LONG i = 0; i < count; ++i) job->BlankPageCallback(job);
}

bool UsesBins(const JobContext* job) {
  return job->PaperSourceMode == PAPER_FIRST_LAST ||
         job->PaperSourceMode == PAPER_FIRST_SECOND_LAST;
}

bool SkipsDefaultBin(const JobContext* job, std::int16_t bin) {
  return (job->ReplayOptions & REPLAY_SKIP_DEFAULT_BIN) && bin == job->DefaultBin;
}

LONG SideSize(const JobContext* job) { return job->PagesPerSide < 1 ? 1 : job->PagesPerSide; }

BOOL ReplayPasses(JobContext* job, LONG passes) {
  return job->ReverseOrder ? ReplayReverse(job, passes) : ReplayForward(job, passes);
}

BOOL ReplayJob(JobContext* job) {
  BOOL result = OpenReplay(job);
  if (result) result = ReplayPasses(job, job->Collate == 1 ? job->Copies : 1);
  CloseReplay(job);
  return result;
}

namespace {

// One pass in section mode: the pass section stands in for the header, a cycle section in
// rotation follows, then every page whole and the trailer.
BOOL PlaySectionPass(JobContext* job, LONG pass, LONG& cycle) {
  if (!ReplaySectionEntry(job, job->PassSections, pass)) return FALSE;
  if (job->CycleSections.Count > 0) {
    if (!ReplaySectionEntry(job, job->CycleSections, cycle)) return FALSE;
    cycle = cycle % job->CycleSections.Count + 1;
  }
  for (LONG page = 1; page <= job->PageIndex.PageCount; ++page) {
    if (!ReplayEntry(job, SpoolEntry::kPage, page, PART_BOTH)) return FALSE;
  }
  return ReplayEntry(job, SpoolEntry::kTrailer, 0, PART_LEAD);
}

}  // namespace

BOOL ReplayBySections(JobContext* job) {
  BOOL result = OpenReplay(job);
  if (result) {
    job->Spooling = 0;
    LONG cycle = 1;
    for (LONG pass = 1; result && pass <= job->PassSections.Count; ++pass) {
      result = PlaySectionPass(job, pass, cycle);
    }
  }
  CloseReplay(job);
  return result;
}

}  // namespace spoolhook
