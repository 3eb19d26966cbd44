#include "spool/page_marks.h"

#include "engine/slots.h"
#include "platform/platform.h"
#include "spool/replay.h"

namespace spoolhook {
namespace {

// Where the open region of an entry keeps its offset and length, and the flag its closing
// sets (none for sections).
struct Region {
  DWORD* flags;
  DWORD flag;
  DWORD* offset;
  DWORD* length;
};

Region LeadOf(PageEntry* entry) {
  return {&entry->EntryFlags, ENTRY_HAS_LEAD, &entry->LeadOffset, &entry->LeadLength};
}
Region BodyOf(PageEntry* entry) {
  return {&entry->EntryFlags, ENTRY_HAS_BODY, &entry->BodyOffset, &entry->BodyLength};
}
Region SectionOf(SectionEntry* entry) { return {nullptr, 0, &entry->Offset, &entry->Length}; }

// The region that `mark` stands for, at the tables' cursors.
Region RegionOf(JobContext* job, DWORD mark) {
  PageTable& pages = job->PageIndex;
  switch (mark) {
    case MARK_HEADER:
      return LeadOf(pages.HeaderEntry);
    case MARK_TRAILER:
      return LeadOf(pages.TrailerEntry);
    case MARK_LEAD:
      return LeadOf(pages.CurrentPage);
    case MARK_BODY:
      return BodyOf(pages.CurrentPage);
    case MARK_PASS_SECTION:
      return SectionOf(job->PassSections.CurrentEntry);
    default:
      return SectionOf(job->CycleSections.CurrentEntry);
  }
}

SectionTable& SectionsOf(JobContext* job, DWORD mark) {
  return mark == MARK_PASS_SECTION ? job->PassSections : job->CycleSections;
}

bool HasIndex(const JobContext* job) {
  return job->PageIndex.Block && job->PassSections.Block && job->CycleSections.Block;
}

// The number of bytes spooled so far; FALSE, with the output cancelled, when the spool file
// cannot tell.
BOOL SpoolPosition(JobContext* job, DWORD* position) {
  *position = Os().SetFilePointer(job->SpoolFile, 0, nullptr, FILE_CURRENT);
  if (*position != INVALID_SET_FILE_POINTER) return TRUE;
  CancelJobOutput(job);
  return FALSE;
}

// Enlarges a table's block by `step` entries, zero-filled; the block may move. FALSE, with
// the output cancelled and the table unchanged, when the heap cannot grow it.
template <class Entry>
Entry* GrowBlock(JobContext* job, Entry** block, DWORD capacity, DWORD step) {
  Entry* grown = MemReAlloc(block, (std::size_t{capacity} + step) * sizeof(Entry));
  if (!grown) CancelJobOutput(job);
  return grown;
}

BOOL GrowPageTable(JobContext* job) {
  PageTable& pages = job->PageIndex;
  // The cursor keeps its place: it may lag one entry behind the count (see CountPage).
  const std::ptrdiff_t cursor = pages.CurrentPage - pages.Block;
  PageEntry* block = GrowBlock(job, &pages.Block, pages.Capacity, kPageTableStep);
  if (!block) return FALSE;
  pages.HeaderEntry = block;
  pages.TrailerEntry = block + 1;
  pages.FirstPage = block + 2;
  pages.CurrentPage = block + cursor;
  pages.Capacity += kPageTableStep;
  pages.Free += kPageTableStep;
  return TRUE;
}

BOOL GrowSectionTable(JobContext* job, SectionTable& sections) {
  const std::ptrdiff_t cursor = sections.CurrentEntry - sections.Block;
  SectionEntry* block = GrowBlock(job, &sections.Block, sections.Capacity, kSectionTableStep);
  if (!block) return FALSE;
  sections.FirstEntry = block;
  sections.CurrentEntry = block + cursor;
  sections.Capacity += kSectionTableStep;
  sections.Free += kSectionTableStep;
  return TRUE;
}

// Counts one more page; `move` also moves the cursor to the next entry. The trailer and
// CloseMarks count without moving, so marks in other orders can count more often than the
// cursor moves: a table without a free entry grows first, so that no page is ever counted
// past the block.
BOOL CountPage(JobContext* job, bool move) {
  PageTable& pages = job->PageIndex;
  if (pages.Free == 0 && !GrowPageTable(job)) return FALSE;
  if (move) ++pages.CurrentPage;
  ++pages.PageCount;
  --pages.Free;
  return TRUE;
}

BOOL CountSection(JobContext* job, SectionTable& sections, bool move) {
  if (sections.Free == 0 && !GrowSectionTable(job, sections)) return FALSE;
  if (move) ++sections.CurrentEntry;
  ++sections.Count;
  --sections.Free;
  return TRUE;
}

// Records the length of the open region; IndexMarks stays as it is.
void CloseOpenRegion(JobContext* job, DWORD position) {
  const Region region = RegionOf(job, job->IndexMarks);
  if (region.flags) *region.flags |= region.flag;
  *region.length = position - *region.offset;
}

// Completes the entry of the closed region and clears the marks. When a new region follows
// (`advance`), a finished page (body or trailer) or section moves its table's cursor on; the
// trailer and CloseMarks only count a finished body or section.
BOOL CompleteEntry(JobContext* job, bool advance) {
  const DWORD marks = job->IndexMarks;
  const DWORD pageEnds = advance ? (MARK_TRAILER | MARK_BODY) : MARK_BODY;
  BOOL counted = TRUE;
  if (marks & pageEnds) {
    counted = CountPage(job, advance);
  } else if (marks & (MARK_PASS_SECTION | MARK_CYCLE_SECTION)) {
    counted = CountSection(job, SectionsOf(job, marks), advance);
  }
  if (counted) job->IndexMarks = 0;
  return counted;
}

// Page and section marks keep one spare entry in their table before they complete the last.
BOOL MakeRoomFor(JobContext* job, DWORD mark) {
  if (mark == MARK_LEAD || mark == MARK_BODY) {
    return job->PageIndex.Free > 1 || GrowPageTable(job);
  }
  if (mark == MARK_PASS_SECTION || mark == MARK_CYCLE_SECTION) {
    SectionTable& sections = SectionsOf(job, mark);
    return sections.Free > 1 || GrowSectionTable(job, sections);
  }
  return TRUE;
}

// A region opens at its table's cursor, which must lie inside the block.
BOOL CursorInBlock(JobContext* job, DWORD mark) {
  if (mark == MARK_LEAD || mark == MARK_BODY) {
    const PageTable& pages = job->PageIndex;
    return pages.CurrentPage < pages.Block + pages.Capacity || GrowPageTable(job);
  }
  if (mark == MARK_PASS_SECTION || mark == MARK_CYCLE_SECTION) {
    SectionTable& sections = SectionsOf(job, mark);
    return sections.CurrentEntry < sections.Block + sections.Capacity ||
           GrowSectionTable(job, sections);
  }
  return TRUE;
}

// The frame of every mark: close the open region at the spool file's position, complete its
// entry, then open `mark`'s region there (none for CloseMarks).
BOOL Mark(JobContext* job, DWORD mark) {
  if (!HasIndex(job)) return FALSE;
  DWORD position = 0;
  if (!SpoolPosition(job, &position)) return FALSE;
  if (job->IndexMarks) {
    CloseOpenRegion(job, position);
    const bool advance = mark != MARK_TRAILER && mark != 0;
    if (!MakeRoomFor(job, mark) || !CompleteEntry(job, advance)) return FALSE;
  }
  if (mark == 0) return TRUE;
  if (!CursorInBlock(job, mark)) return FALSE;
  const Region region = RegionOf(job, mark);
  *region.offset = position;
  *region.length = 0;
  job->IndexMarks = mark;
  return TRUE;
}

BOOL InitSectionTable(JobContext* job, SectionTable& sections) {
  SectionEntry* block = MemAlloc(&sections.Block, kSectionTableEntries * sizeof(SectionEntry));
  if (!block) {
    CancelJobOutput(job);
    return FALSE;
  }
  sections = SectionTable{block, kSectionTableEntries, kSectionTableEntries, block, block, 0};
  return TRUE;
}

}  // namespace

BOOL CreatePageIndex(JobContext* job) {
  ReleasePageIndex(job);
  CloseReplay(job);
  // The reader's slot holds zero until the first index exists.
  if (!job->ReplayFile) job->ReplayFile = INVALID_HANDLE_VALUE;
  PageTable& pages = job->PageIndex;
  PageEntry* block = MemAlloc(&pages.Block, kPageTableEntries * sizeof(PageEntry));
  if (!block) {
    CancelJobOutput(job);
    return FALSE;
  }
  pages = PageTable{
      block, kPageTableEntries, kPageTableEntries - 2, block, block + 1, block + 2, block + 2, 0};
  return InitSectionTable(job, job->PassSections) && InitSectionTable(job, job->CycleSections);
}

void ReleasePageIndex(JobContext* job) {
  MemFree(&job->CycleSections.Block);
  MemFree(&job->PassSections.Block);
  MemFree(&job->PageIndex.Block);
  job->PageIndex = PageTable{};
  job->PassSections = SectionTable{};
  job->CycleSections = SectionTable{};
  job->IndexMarks = 0;
  job->SectionOpen = 0;
}

BOOL MarkHeader(JobContext* job) { return Mark(job, MARK_HEADER); }
BOOL MarkTrailer(JobContext* job) { return Mark(job, MARK_TRAILER); }
BOOL MarkPageLead(JobContext* job) { return Mark(job, MARK_LEAD); }
BOOL MarkPageBody(JobContext* job) { return Mark(job, MARK_BODY); }
BOOL CloseMarks(JobContext* job) { return Mark(job, 0); }

BOOL MarkSection(JobContext* job, SectionTable* table) {
  return Mark(job, table == &job->PassSections ? MARK_PASS_SECTION : MARK_CYCLE_SECTION);
}

const PageEntry* FindPage(const JobContext* job, LONG page) {
  const PageTable& pages = job->PageIndex;
  if (!pages.FirstPage || page < 1 || page > pages.PageCount) return nullptr;
  return pages.FirstPage + (page - 1);
}

const SectionEntry* FindSection(const SectionTable& table, LONG section) {
  if (!table.FirstEntry || section < 1 || section > table.Count) return nullptr;
  return table.FirstEntry + (section - 1);
}

}  // namespace spoolhook
