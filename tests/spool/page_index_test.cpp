// The page index that the marks build while a job spools.
#include <gtest/gtest.h>

#include "spool/page_index.h"
#include "spool/spool_fixture.h"

namespace spoolhook::testing {
namespace {

using PageIndexTest = SpoolTest;

struct Expected {
  DWORD flags, leadOffset, leadLength, bodyOffset, bodyLength;
};

void ExpectEntry(const PageEntry* entry, const Expected& expected) {
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->EntryFlags, expected.flags);
  EXPECT_EQ(entry->LeadOffset, expected.leadOffset);
  EXPECT_EQ(entry->LeadLength, expected.leadLength);
  EXPECT_EQ(entry->BodyOffset, expected.bodyOffset);
  EXPECT_EQ(entry->BodyLength, expected.bodyLength);
}

// Every counted page and section lies inside its block, and a cursor at most at its end (a
// region opens there only after the table has grown).
bool KeepsItsCounts(const JobContext* job) {
  const PageTable& pages = job->PageIndex;
  return pages.Free <= pages.Capacity && pages.Free + pages.PageCount + 2 == pages.Capacity &&
         job->PassSections.Free + job->PassSections.Count == job->PassSections.Capacity &&
         job->CycleSections.Free + job->CycleSections.Count == job->CycleSections.Capacity &&
         job->PassSections.Free <= job->PassSections.Capacity &&
         job->CycleSections.Free <= job->CycleSections.Capacity &&
         pages.CurrentPage <= pages.Block + pages.Capacity;
}

constexpr DWORD kBoth = ENTRY_HAS_LEAD | ENTRY_HAS_BODY;

// "H " = 2 bytes, each lead "Lk " and body "Bk " 3 bytes, "T " 2 bytes.
TEST_F(PageIndexTest, AThreePageJobRecordsEveryRegion) {
  SpoolPages(3);
  const PageTable& pages = job()->PageIndex;
  EXPECT_EQ(pages.PageCount, 3);
  EXPECT_EQ(pages.Capacity, 100u);
  EXPECT_EQ(pages.Free, 95u);
  EXPECT_EQ(job()->IndexMarks, 0u);
  ExpectEntry(pages.HeaderEntry, {ENTRY_HAS_LEAD, 0, 2, 0, 0});
  ExpectEntry(pages.FirstPage, {kBoth, 2, 3, 5, 3});
  ExpectEntry(pages.FirstPage + 1, {kBoth, 8, 3, 11, 3});
  ExpectEntry(pages.FirstPage + 2, {kBoth, 14, 3, 17, 3});
  ExpectEntry(pages.TrailerEntry, {ENTRY_HAS_LEAD, 20, 2, 0, 0});
  EXPECT_EQ(machine_.ReadFileBytes(job()->SpoolFileName), "H L1 B1 L2 B2 L3 B3 T ");
  EXPECT_EQ(Port(), "");
}

TEST_F(PageIndexTest, ABodyWithoutALeadStillCountsAsAPage) {
  SpoolPages(2, {2});
  const PageTable& pages = job()->PageIndex;
  EXPECT_EQ(pages.PageCount, 2);
  ExpectEntry(pages.FirstPage + 1, {ENTRY_HAS_BODY, 0, 0, 8, 3});
}

TEST_F(PageIndexTest, ALeadWithoutABodyIsNotCountedByTheTrailer) {
  Sub(kCreateSpool);
  Sub(kMarkLead);
  Data("L1 ");
  Sub(kMarkTrailer);
  EXPECT_EQ(job()->PageIndex.PageCount, 0);
  EXPECT_EQ(job()->IndexMarks, MARK_TRAILER);
  ExpectEntry(job()->PageIndex.FirstPage, {ENTRY_HAS_LEAD, 0, 3, 0, 0});
}

TEST_F(PageIndexTest, BodyMarksInsideASectionChangeNothing) {
  Sub(kCreateSpool);
  Sub(kPassSection);
  Data("A1 ");
  Sub(kMarkBody);
  Data("more ");
  Sub(kEndPassSection);
  Sub(kMarkLead);
  EXPECT_EQ(job()->PageIndex.PageCount, 0);
  ASSERT_EQ(job()->PassSections.Count, 1);
  EXPECT_EQ(job()->PassSections.FirstEntry->Offset, 0u);
  EXPECT_EQ(job()->PassSections.FirstEntry->Length, 8u);
  EXPECT_EQ(job()->SectionOpen, 0u);
  EXPECT_EQ(job()->IndexMarks, MARK_LEAD);
}

TEST_F(PageIndexTest, ThePageTableGrowsAtTheBodyMarkOfPage98) {
  Sub(kCreateSpool);
  Sub(kMarkHeader);
  Data("H ");
  for (int page = 1; page <= 98; ++page) {
    Sub(kMarkLead);
    Data("L ");
    EXPECT_EQ(job()->PageIndex.Capacity, 100u) << "page " << page;
    Sub(kMarkBody);
    Data("B ");
  }
  const PageTable& pages = job()->PageIndex;
  EXPECT_EQ(pages.Capacity, 150u);
  EXPECT_EQ(pages.Free, 51u);
  EXPECT_EQ(pages.PageCount, 97);
  EXPECT_EQ(machine_.faults().CallCount("HeapReAlloc"), 1u);
  // The entries made before the block moved are intact, and marking goes on behind them.
  ExpectEntry(pages.HeaderEntry, {ENTRY_HAS_LEAD, 0, 2, 0, 0});
  ExpectEntry(pages.FirstPage, {kBoth, 2, 2, 4, 2});
  ExpectEntry(pages.FirstPage + 96, {kBoth, 386, 2, 388, 2});
  Sub(kMarkTrailer);
  Sub(kEndSpooling);
  EXPECT_EQ(pages.PageCount, 98);
  ExpectEntry(pages.FirstPage + 97, {kBoth, 390, 2, 392, 2});
  EXPECT_TRUE(KeepsItsCounts(job()));
}

TEST_F(PageIndexTest, AFailedGrowthFailsTheMarkAndKeepsTheTable) {
  Sub(kCreateSpool);
  for (int page = 1; page <= 97; ++page) {
    Sub(kMarkLead);
    Sub(kMarkBody);
  }
  Sub(kMarkLead);
  machine_.faults().FailCall("HeapReAlloc");
  const Written result = Write(SpoolRecord(kMarkBody));
  EXPECT_FALSE(result.result);
  EXPECT_EQ(result.written, 0u);
  EXPECT_TRUE(IsJobOutputCancelled(job()));
  EXPECT_EQ(job()->PageIndex.Capacity, 100u);
  EXPECT_EQ(job()->PageIndex.Free, 1u);
  EXPECT_EQ(job()->IndexMarks, MARK_LEAD);
}

TEST_F(PageIndexTest, TheMarkOfThe51stPassSectionGrowsItsTable) {
  Sub(kCreateSpool);
  for (int section = 1; section <= 51; ++section) {
    EXPECT_EQ(job()->PassSections.Capacity, 50u) << "section " << section;
    Sub(kPassSection);
    Data("A ");
    Sub(kEndPassSection);
  }
  EXPECT_EQ(job()->PassSections.Capacity, 75u);
  EXPECT_EQ(job()->PassSections.Count, 50);
  EXPECT_EQ(job()->CycleSections.Capacity, 50u);
  Sub(kCloseMarks);
  EXPECT_EQ(job()->PassSections.Count, 51);
  EXPECT_EQ(job()->PassSections.FirstEntry[50].Offset, 100u);
  EXPECT_EQ(job()->PassSections.FirstEntry[50].Length, 2u);
}

TEST_F(PageIndexTest, AMarkWhosePositionCannotBeReadIsNotRecorded) {
  Sub(kCreateSpool);
  Sub(kMarkLead);
  Data("L1 ");
  machine_.faults().FailCall("SetFilePointer");
  const Written result = Write(SpoolRecord(kMarkBody));
  EXPECT_FALSE(result.result);
  EXPECT_EQ(result.written, 0u);
  EXPECT_TRUE(IsJobOutputCancelled(job()));
  EXPECT_EQ(job()->IndexMarks, MARK_LEAD);
  ExpectEntry(job()->PageIndex.FirstPage, {0, 0, 0, 0, 0});
}

TEST_F(PageIndexTest, MarksWithoutAnIndexFail) {
  for (std::uint32_t mark : {kMarkHeader, kMarkLead, kCloseMarks, kEndSpooling}) {
    EXPECT_FALSE(Write(SpoolRecord(mark)).result) << mark;
  }
  // After the spool is deleted, the index is empty.
  SpoolPages(1);
  // After 101 the closed file has no position to mark.
  EXPECT_FALSE(Write(SpoolRecord(kMarkTrailer)).result);
  EXPECT_EQ(job()->PageIndex.PageCount, 1);
  Sub(kDeleteSpool);
  EXPECT_EQ(job()->PageIndex.PageCount, 0);
  EXPECT_EQ(job()->PageIndex.Block, nullptr);
  EXPECT_FALSE(Write(SpoolRecord(kMarkLead)).result);
}

// Marks in orders other than the usual one may count a page without moving the cursor;
// however often that happens, no page is counted past the table's block.
TEST_F(PageIndexTest, MarksInAnyOrderKeepThePagesInsideTheTable) {
  const std::vector<std::vector<std::uint32_t>> orders = {
      {kMarkBody, kCloseMarks},
      {kMarkBody, kMarkTrailer, kMarkBody, kCloseMarks},
      {kMarkBody, kMarkHeader, kCloseMarks, kMarkBody},
      {kPassSection, kCloseMarks},
      {kCycleSection, kMarkTrailer, kMarkHeader},
  };
  for (const auto& order : orders) {
    Sub(kCreateSpool);
    for (int round = 0; round < 300; ++round) {
      for (std::uint32_t mark : order) {
        Sub(mark);
        Data("x");
        ASSERT_TRUE(KeepsItsCounts(job())) << "round " << round << " mark " << mark;
      }
      Sub(kEndCycleSection);
      Sub(kEndPassSection);
    }
    EXPECT_GE(
        job()->PageIndex.Capacity + job()->PassSections.Capacity + job()->CycleSections.Capacity,
        300u);
    Sub(kDeleteSpool);
  }
}

}  // namespace
}  // namespace spoolhook::testing
