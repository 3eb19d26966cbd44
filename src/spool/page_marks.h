// Building the page index while a job spools: each mark closes the region that is open, at
// the spool file's current position, and opens its own. The tables grow as pages and sections
// arrive; entries are found by position, so every lookup costs the same.
#pragma once

#include "engine/job_context.h"

namespace spoolhook {

// A new, empty index (the old one's blocks are freed first). FALSE, with the output
// cancelled, when a block cannot be had.
BOOL CreatePageIndex(JobContext* job);
// Frees the index's blocks and leaves every table empty, no region open.
void ReleasePageIndex(JobContext* job);

BOOL MarkHeader(JobContext* job);
BOOL MarkTrailer(JobContext* job);
BOOL MarkPageLead(JobContext* job);
BOOL MarkPageBody(JobContext* job);
// `table` is the job's PassSections or CycleSections.
BOOL MarkSection(JobContext* job, SectionTable* table);
BOOL CloseMarks(JobContext* job);

// Page n (1-based) of the index, or none outside 1 to PageCount.
const PageEntry* FindPage(const JobContext* job, LONG page);
// Section n (1-based) of the table, or none outside 1 to its Count.
const SectionEntry* FindSection(const SectionTable& table, LONG section);

}  // namespace spoolhook
