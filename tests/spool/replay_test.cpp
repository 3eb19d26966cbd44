// Replays of a spooled job: the exact order of data, paper-source changes and blank pages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "spool/replay.h"
#include "spool/spool_fixture.h"

namespace spoolhook::testing {
namespace {

using ReplayTest = SpoolTest;

struct ReplayCase {
  const char* name;
  int pages = 3;
  std::vector<int> noLead = {};
  std::uint32_t paperSourceMode = 0;
  std::uint32_t duplexMode = 0;
  std::uint32_t reverse = 0;
  std::uint32_t pagesPerSide = 1;
  std::uint32_t interleafOptions = 0;
  std::uint32_t collate = 0;
  std::uint32_t copies = 1;
  std::uint32_t replayOptions = 0;
  std::uint32_t firstBin = kFirstBin;
  std::uint32_t lastBin = kLastBin;
  std::string expected;
};

class ReplaySequenceTest : public SpoolTest, public ::testing::WithParamInterface<ReplayCase> {};

TEST_P(ReplaySequenceTest, SendsTheSequence) {
  const ReplayCase& c = GetParam();
  SpoolPages(c.pages, c.noLead);
  Set(0, {0, 0, c.copies, c.replayOptions});
  Set(1, {c.duplexMode, c.pagesPerSide});
  Set(2, {c.collate, c.reverse});
  Set(3, {c.interleafOptions, c.paperSourceMode});
  Set(4, {kDefaultBin, c.firstBin, kSecondBin, c.lastBin, kInterleafBin});
  Sub(kReplay);
  EXPECT_EQ(Port(), c.expected);
  EXPECT_EQ(job()->ReplayBuffer, nullptr);
  EXPECT_FALSE(IsReplayOpen(job()));
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, ReplaySequenceTest,
    ::testing::Values(
        ReplayCase{.name = "Forward", .expected = "H L1 B1 L2 B2 L3 B3 T "},
        ReplayCase{.name = "ForwardCollatedCopies",
                   .collate = 1,
                   .copies = 2,
                   .expected = "H L1 B1 L2 B2 L3 B3 T H L1 B1 L2 B2 L3 B3 T "},
        ReplayCase{
            .name = "ForwardUncollatedCopies", .copies = 2, .expected = "H L1 B1 L2 B2 L3 B3 T "},
        ReplayCase{.name = "ForwardFirstAndLastBins",
                   .paperSourceMode = 1,
                   .expected = "H PS(11) L1 B1 PS(10) L2 B2 PS(13) L3 B3 T "},
        ReplayCase{.name = "ForwardFirstSecondAndLastBins",
                   .paperSourceMode = 2,
                   .expected = "H PS(11) L1 B1 PS(10) PS(12) L2 B2 PS(10) PS(13) L3 B3 T "},
        ReplayCase{.name = "ForwardOnePage",
                   .pages = 1,
                   .paperSourceMode = 1,
                   .expected = "H PS(11) L1 B1 T "},
        ReplayCase{.name = "ForwardFirstBinEqualToTheDefault",
                   .paperSourceMode = 1,
                   .firstBin = kDefaultBin,
                   .expected = "H PS(10) L1 B1 PS(10) L2 B2 PS(13) L3 B3 T "},
        ReplayCase{.name = "ForwardBit12LeavesOutAFirstBinEqualToTheDefault",
                   .paperSourceMode = 1,
                   .replayOptions = 0x1000,
                   .firstBin = kDefaultBin,
                   .expected = "H L1 B1 L2 B2 PS(13) L3 B3 T "},
        ReplayCase{.name = "ForwardGroupsPagesWithoutLeads",
                   .pages = 4,
                   .noLead = {2, 4},
                   .paperSourceMode = 1,
                   .pagesPerSide = 2,
                   .expected = "H PS(11) L1 B1 B2 PS(10) PS(13) L3 B3 B4 T "},
        ReplayCase{.name = "ForwardInterleafBlank",
                   .pages = 2,
                   .paperSourceMode = 3,
                   .expected = "H L1 B1 PS(14,2) BL PS(10,4) L2 B2 PS(14,2) BL PS(10,4) T "},
        ReplayCase{.name = "ForwardInterleafBodies",
                   .pages = 2,
                   .paperSourceMode = 3,
                   .interleafOptions = 2,
                   .expected = "H L1 B1 PS(14,2) B1 PS(10,4) L2 B2 PS(14,2) B2 PS(10,4) T "},
        ReplayCase{.name = "ReverseFirstAndLastBins",
                   .paperSourceMode = 1,
                   .reverse = 1,
                   .expected = "H PS(13) B3 PS(10) L3 B2 L2 PS(11) B1 PS(10) T "},
        ReplayCase{.name = "ReverseTwoSidedOddSides",
                   .paperSourceMode = 1,
                   .duplexMode = 1,
                   .reverse = 1,
                   .expected = "H PS(13) BL B3 PS(10) L3 PS(11) B2 L2 B1 PS(10) T "},
        ReplayCase{.name = "ReverseTwoSidedEvenSides",
                   .pages = 4,
                   .duplexMode = 1,
                   .reverse = 1,
                   .expected = "H B4 L4 B3 L3 B2 L2 B1 T "},
        ReplayCase{.name = "ReverseTwoPagesASide",
                   .pages = 5,
                   .reverse = 1,
                   .pagesPerSide = 2,
                   .expected = "H B5 BL L5 B3 B4 L3 B1 B2 T "},
        ReplayCase{.name = "ReverseWholeSheets",
                   .pages = 5,
                   .duplexMode = 4,
                   .reverse = 1,
                   .expected = "H B5 PAD(2,1) L5 B3 B4 L3 B1 B2 T "},
        ReplayCase{.name = "ReverseInterleafComesBeforeEachGroup",
                   .pages = 2,
                   .paperSourceMode = 3,
                   .reverse = 1,
                   .expected = "H PS(14,2) BL PS(10,4) B2 PS(14,2) BL PS(10,4) L2 B1 T "},
        ReplayCase{.name = "ForwardLastBinEqualToTheDefaultIsNotSent",
                   .paperSourceMode = 1,
                   .lastBin = kDefaultBin,
                   .expected = "H PS(11) L1 B1 PS(10) L2 B2 L3 B3 T "},
        // Two-sided groups are a sheet: a page with the pages without leads after it.
        ReplayCase{.name = "ForwardTwoSidedSecondSheet",
                   .pages = 6,
                   .noLead = {2, 4, 6},
                   .paperSourceMode = 2,
                   .duplexMode = 1,
                   .expected = "H PS(11) L1 B1 B2 PS(10) PS(12) L3 B3 B4 PS(10) PS(13) L5 B5 "
                               "B6 T "},
        ReplayCase{.name = "ReverseFirstSecondAndLastBins",
                   .pages = 5,
                   .paperSourceMode = 2,
                   .reverse = 1,
                   .expected = "H PS(13) B5 PS(10) L5 B4 L4 B3 L3 PS(12) B2 PS(10) L2 PS(11) "
                               "B1 PS(10) T "},
        // In reverse order bit 12 concerns the last bin only; an equal first bin is never sent.
        ReplayCase{.name = "ReverseBit12LeavesOutALastBinEqualToTheDefault",
                   .paperSourceMode = 1,
                   .reverse = 1,
                   .replayOptions = 0x1000,
                   .lastBin = kDefaultBin,
                   .expected = "H B3 L3 B2 L2 PS(11) B1 PS(10) T "},
        ReplayCase{.name = "ReverseLastBinEqualToTheDefaultWithoutBit12",
                   .paperSourceMode = 1,
                   .reverse = 1,
                   .lastBin = kDefaultBin,
                   .expected = "H PS(10) B3 PS(10) L3 B2 L2 PS(11) B1 PS(10) T "},
        ReplayCase{.name = "ReverseFirstBinEqualToTheDefaultIsNotSent",
                   .paperSourceMode = 1,
                   .reverse = 1,
                   .replayOptions = 0x1000,
                   .firstBin = kDefaultBin,
                   .expected = "H PS(13) B3 PS(10) L3 B2 L2 B1 T "},
        // Each restore waits for the other side of its sheet.
        ReplayCase{.name = "ReverseTwoSidedSecondSheet",
                   .pages = 6,
                   .paperSourceMode = 2,
                   .duplexMode = 1,
                   .reverse = 1,
                   .expected = "H PS(13) B6 L6 B5 PS(10) L5 PS(12) B4 L4 B3 PS(10) L3 PS(11) "
                               "B2 L2 B1 PS(10) T "},
        ReplayCase{.name = "ReverseWholeSheetsWithBins",
                   .pages = 6,
                   .paperSourceMode = 2,
                   .duplexMode = 4,
                   .reverse = 1,
                   .expected = "H PS(13) B5 B6 PS(10) L5 PS(12) B3 B4 PS(10) L3 PS(11) B1 B2 "
                               "PS(10) T "},
        ReplayCase{.name = "ReverseInterleafBodies",
                   .pages = 2,
                   .paperSourceMode = 3,
                   .reverse = 1,
                   .interleafOptions = 2,
                   .expected = "H PS(14,2) B2 PS(10,4) B2 PS(14,2) B1 PS(10,4) L2 B1 T "},
        ReplayCase{.name = "ReverseWithNoPagesPerSideTakesOne",
                   .reverse = 1,
                   .pagesPerSide = 0,
                   .expected = "H B3 L3 B2 L2 B1 T "},
        ReplayCase{.name = "ReverseWithNegativePagesPerSideTakesOne",
                   .duplexMode = 4,
                   .reverse = 1,
                   .pagesPerSide = 0xFFFF,
                   .expected = "H B3 PAD(2,1) L3 B1 B2 T "}),
    [](const ::testing::TestParamInfo<ReplayCase>& info) { return std::string(info.param.name); });

TEST_F(ReplayTest, SectionModePlaysOnePassPerPassSection) {
  Sub(kCreateSpool);
  for (const char* section : {"A1 ", "A2 "}) {
    Sub(kPassSection);
    Data(section);
    Sub(kEndPassSection);
  }
  for (const char* section : {"C1 ", "C2 ", "C3 "}) {
    Sub(kCycleSection);
    Data(section);
    Sub(kEndCycleSection);
  }
  for (const char* page : {"1 ", "2 "}) {
    Sub(kMarkLead);
    Data(std::string("L") + page);
    Sub(kMarkBody);
    Data(std::string("B") + page);
  }
  Sub(kMarkTrailer);
  Data("T ");
  Sub(kEndSpooling);
  Set(0, {1, 0, 1, 0});
  Sub(kReplay);
  EXPECT_EQ(Port(), "A1 C1 L1 B1 L2 B2 T A2 C2 L1 B1 L2 B2 T ");
}

TEST_F(ReplayTest, SectionModeWithoutPassSectionsSendsNothing) {
  SpoolPages(2);
  Set(0, {1, 0, 1, 0});
  Sub(kReplay);
  EXPECT_EQ(Port(), "");
}

TEST_F(ReplayTest, NoPassesFailUnlessTheOutputIsCancelled) {
  SpoolPages(2);
  Set(0, {0, 0, 0, 0});
  Set(2, {1, 0});
  const Written result = Write(SpoolRecord(kReplay));
  EXPECT_FALSE(result.result);
  EXPECT_EQ(result.written, 0u);
  EXPECT_TRUE(IsJobOutputCancelled(job()));
  // Once cancelled, replays succeed without output, in either order.
  Sub(kReplay);
  Set(2, {1, 1});
  Sub(kReplay);
  EXPECT_EQ(Port(), "");
}

TEST_F(ReplayTest, SingleEntriesNeedAnOpenReader) {
  SpoolPages(3);
  EXPECT_FALSE(Write(SpoolRecord(kReplayPass)).result);
  CloseJob();
  SetUp();
  SpoolPages(3);
  Sub(kOpenReplay);
  Sub(kReplayHeader);
  Sub(kReplayLead, 2);
  Sub(kReplayBody, 2);
  Sub(kReplayBody, 3);
  Sub(kReplayTrailer);
  Sub(kReplayPass);
  Sub(kCloseReplay);
  EXPECT_EQ(Port(), "H L2 B2 B3 T H L1 B1 L2 B2 L3 B3 T ");
  EXPECT_FALSE(IsReplayOpen(job()));
  EXPECT_EQ(job()->ReplayBuffer, nullptr);
}

TEST_F(ReplayTest, PagesOutsideTheJobFail) {
  for (std::int32_t page : {0, -1, 4}) {
    for (std::uint32_t subcommand : {kReplayLead, kReplayBody}) {
      CloseJob();
      SetUp();
      SpoolPages(3);
      Sub(kOpenReplay);
      const Written result = Write(SpoolRecord(subcommand, page));
      EXPECT_FALSE(result.result) << subcommand << " page " << page;
      EXPECT_EQ(result.written, 0u);
    }
  }
}

TEST_F(ReplayTest, AnEmptyBodySendsNothing) {
  Sub(kCreateSpool);
  Sub(kMarkLead);
  Data("L1 ");
  Sub(kMarkBody);
  Sub(kMarkTrailer);
  Sub(kEndSpooling);
  Sub(kOpenReplay);
  Sub(kReplayBody, 1);
  EXPECT_EQ(Port(), "");
  Sub(kReplayLead, 1);
  EXPECT_EQ(Port(), "L1 ");
}

TEST_F(ReplayTest, AJobWithoutPagesReplaysItsHeaderAndTrailer) {
  Sub(kCreateSpool);
  Sub(kMarkHeader);
  Data("H ");
  Sub(kMarkTrailer);
  Data("T ");
  Sub(kEndSpooling);
  EXPECT_EQ(job()->PageIndex.PageCount, 0);
  Sub(kReplay);
  Sub(kOpenReplay);
  Sub(kReplayTrailer);
  Sub(kReplayHeader);
  Sub(kCloseReplay);
  EXPECT_EQ(Port(), "H T T H ");
}

TEST_F(ReplayTest, AJobCanBeReplayedAgainWithNewParameters) {
  SpoolPages(2);
  Sub(kReplay);
  Set(2, {0, 1});
  Sub(kReplay);
  EXPECT_EQ(Port(), "H L1 B1 L2 B2 T H B2 L2 B1 T ");
}

// Every part is read in pieces of at most 4096 bytes through the one buffer; a read that
// brings fewer bytes is continued.
TEST_F(ReplayTest, LongPartsAreCopiedIn4096BytePieces) {
  std::string body(10000, 'b');
  for (std::size_t i = 0; i < body.size(); i += 97) body[i] = static_cast<char>('0' + i % 10);
  Sub(kCreateSpool);
  Sub(kMarkBody);
  Data(body);
  Sub(kEndSpooling);
  Sub(kOpenReplay);
  machine_.faults().Reset();
  Sub(kReplayBody, 1);
  EXPECT_EQ(Port(), body);
  EXPECT_EQ(machine_.faults().CallCount("ReadFile"), 3u);
  EXPECT_EQ(machine_.faults().CallCount("WritePrinter"), 3u);
  machine_.faults().ShortenCall("ReadFile", 5);
  Sub(kReplayBody, 1);
  EXPECT_EQ(Port(), body + body);
}

struct ReplayFault {
  const char* call;
  bool cancelsHere;  // whether the replay itself cancels, before the record's failure does
};

TEST_F(ReplayTest, AFailedSeekOrReadFailsTheReplay) {
  for (const ReplayFault& fault : {ReplayFault{"SetFilePointer", true}, {"ReadFile", false}}) {
    SCOPED_TRACE(fault.call);
    CloseJob();
    SetUp();
    SpoolPages(2);
    Sub(kOpenReplay);
    const std::size_t sent = Port().size();
    machine_.faults().Reset();
    machine_.faults().FailCall(fault.call, 2);
    EXPECT_TRUE(ReplayEntry(job(), SpoolEntry::kHeader, 0, PART_LEAD));
    EXPECT_FALSE(ReplayEntry(job(), SpoolEntry::kPage, 1, PART_BOTH));
    EXPECT_EQ(IsJobOutputCancelled(job()), fault.cancelsHere ? TRUE : FALSE);
    EXPECT_EQ(Port().substr(sent), "H ");
    machine_.faults().Reset();
  }
}

TEST_F(ReplayTest, SpoolSize) {
  DWORD size = 77;
  EXPECT_FALSE(GetSpoolSize(job(), nullptr));
  // No spool, and a spool still being written: 0.
  EXPECT_TRUE(GetSpoolSize(job(), &size));
  EXPECT_EQ(size, 0u);
  Sub(kCreateSpool);
  Data("12345");
  size = 77;
  EXPECT_TRUE(GetSpoolSize(job(), &size));
  EXPECT_EQ(size, 0u);
  Sub(kEndSpooling);
  EXPECT_TRUE(GetSpoolSize(job(), &size));
  EXPECT_EQ(size, 5u);
  Sub(kOpenReplay);
  EXPECT_TRUE(GetSpoolSize(job(), &size));
  EXPECT_EQ(size, 5u);
  EXPECT_TRUE(IsReplayOpen(job()));
  machine_.faults().FailCall("SetFilePointer");
  EXPECT_FALSE(GetSpoolSize(job(), &size));
  EXPECT_TRUE(IsJobOutputCancelled(job()));
}

}  // namespace
}  // namespace spoolhook::testing
