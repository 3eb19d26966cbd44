// Record 0x1001: the memory estimate, the job sent once inside the PJL spool request or once
// per copy between the universal exits, and the single-entry replays, as the port receives
// them.
#include <gtest/gtest.h>

#include <string>

#include "spool/replay.h"
#include "spool/spool_fixture.h"

namespace spoolhook::testing {
namespace {

enum : std::uint32_t {
  kSpoolJob = 1,
  kHeader = 2,
  kTrailer = 3,
  kLead = 4,
  kBody = 5,
  kOpen = 6,
  kClose = 7,
  kPass = 8,
  kFits = 9,
};

const std::string kExit = "\x1B%-12345X";
const std::string kModeLine = "@PJL RVXMODE\n";
const std::string kEndString = "ENDOFJOBSPOOL";
constexpr std::uint32_t kMiB = 1048576;

class SpoolControlTest : public SpoolTest {
 protected:
  Written Control(std::uint32_t subcommand, std::initializer_list<std::uint32_t> fields = {}) {
    return Write(SpoolControlRecord(subcommand, fields));
  }
  void SetCopies(std::int16_t copies) { Set(0, {0, 0, static_cast<std::uint16_t>(copies), 0}); }
  // A spool file of exactly `size` bytes: one page body.
  void SpoolBytes(std::uint32_t size) {
    Sub(kCreateSpool);
    Sub(kMarkBody);
    Data(std::string(size, 'b'));
    Sub(kEndSpooling);
  }
  // Subcommand 9 with memory, mode flags, mode, count flags and the units.
  Written Fits(std::uint32_t memoryMiB, std::uint32_t modeFlags, std::uint32_t mode,
               std::uint32_t countFlags, std::uint32_t units) {
    return Control(kFits, {memoryMiB, modeFlags, mode, countFlags, units});
  }
  void ExpectAnswer(const Written& answer, bool fits) {
    EXPECT_EQ(answer.result, fits ? TRUE : FALSE);
    EXPECT_EQ(answer.written, fits ? 32u : 0u);
  }
};

struct EstimateCase {
  const char* name;
  std::uint32_t spoolSize;
  std::uint32_t modeFlags;
  std::uint32_t mode;
  std::uint32_t countFlags;
  std::uint32_t units;
  bool fits;  // in 2 MiB (2 097 152 bytes) with two copies
};

void PrintTo(const EstimateCase& c, std::ostream* os) { *os << c.name; }

class EstimateTest : public SpoolControlTest, public ::testing::WithParamInterface<EstimateCase> {};

TEST_P(EstimateTest, AnswersWhetherTheJobFits) {
  const EstimateCase& c = GetParam();
  SpoolBytes(c.spoolSize);
  SetCopies(2);
  ExpectAnswer(Fits(2, c.modeFlags, c.mode, c.countFlags, c.units), c.fits);
  EXPECT_EQ(Port(), "");
  EXPECT_FALSE(IsReplayOpen(job()));
}

INSTANTIATE_TEST_SUITE_P(
    Estimates, EstimateTest,
    ::testing::Values(
        // 520 x 10 + 1 000 000 + 550 = 1 005 750.
        EstimateCase{"OtherMode", 1000000, 0, 0, 0, 10, true},
        // 520 x 10 + 2 091 402 + 550 = 2 097 152, then one byte more.
        EstimateCase{"OtherModeExactlyTheMemory", 2091402, 0, 0, 0, 10, true},
        EstimateCase{"OtherModeOneByteMore", 2091403, 0, 0, 0, 10, false},
        // 1080 x 10 + 2 x 1 000 000 + 1010 = 2 011 810.
        EstimateCase{"LargeModeTwice", 1000000, 0, 3, 2, 10, true},
        // 1080 x 100 + 2 x 1 000 000 + 1010 = 2 109 010.
        EstimateCase{"LargeModeTwiceHundredUnits", 1000000, 0, 3, 2, 100, false},
        // 1080 x 10 + 2 x 1 042 671 + 1010 = 2 097 152; one byte more counts twice.
        EstimateCase{"LargeModeTwiceExactlyTheMemory", 1042671, 0, 3, 2, 10, true},
        EstimateCase{"LargeModeTwiceOneByteMore", 1042672, 0, 3, 2, 10, false},
        // 1120 x 10 + 2 084 942 + 1010 = 2 097 152, then one byte more.
        EstimateCase{"LargeModeExactlyTheMemory", 2084942, 0, 3, 0, 10, true},
        EstimateCase{"LargeModeOneByteMore", 2084943, 0, 3, 0, 10, false},
        // Mode 0x00010003: 3 in its low 16 bits only. As mode 3 twice: 2 109 010; as another
        // mode: 520 x 100 + 1 000 000 + 550 = 1 052 550.
        EstimateCase{"LowBitsOfTheModeCompared", 1000000, 4, 0x00010003, 2, 100, false},
        EstimateCase{"WholeModeCompared", 1000000, 0, 0x00010003, 2, 100, true},
        // 520 x 16 777 216 passes 4 GiB; 32-bit arithmetic would wrap it to 134 218 278.
        EstimateCase{"UnitsDoNotWrap", 0, 0, 0, 0, 0x01000000, false},
        // 520 x 8 259 553 + 550 = 4 294 968 110: in 32 bits it would wrap to 814 and fit.
        EstimateCase{"UnitsDoNotWrapToASmallNeed", 0, 0, 0, 0, 8259553, false}),
    [](const ::testing::TestParamInfo<EstimateCase>& info) {
      return std::string(info.param.name);
    });

TEST_F(SpoolControlTest, OneCopyNeverFits) {
  SpoolBytes(10);
  for (std::int16_t copies : {1, 0, -2}) {
    SetCopies(copies);
    ExpectAnswer(Fits(2, 0, 0, 0, 0), false);
  }
  SetCopies(2);
  ExpectAnswer(Fits(2, 0, 0, 0, 0), true);
}

TEST_F(SpoolControlTest, MemoryOf4GiBOrMoreDoesNotWrap) {
  SpoolBytes(10);
  SetCopies(2);
  ExpectAnswer(Fits(4096, 0, 0, 0, 0), true);
  ExpectAnswer(Fits(0, 0, 0, 0, 0), false);
}

// A spool file that cannot be opened counts as empty: 520 x 0 + 0 + 550 bytes fit in 1 MiB.
TEST_F(SpoolControlTest, ASpoolStillBeingWrittenCountsAsEmpty) {
  SetCopies(2);
  ExpectAnswer(Fits(1, 0, 0, 0, 0), true);
  Sub(kCreateSpool);
  Data(std::string(2 * kMiB, 'b'));
  ExpectAnswer(Fits(1, 0, 0, 0, 0), true);
}

TEST_F(SpoolControlTest, ASizeThatCannotBeReadDoesNotFit) {
  SpoolBytes(10);
  SetCopies(2);
  Control(kOpen);
  machine_.faults().FailCall("SetFilePointer");
  ExpectAnswer(Fits(2, 0, 0, 0, 0), false);
  machine_.faults().Reset();
}

TEST_F(SpoolControlTest, CopiesOneSendsTheJobOnceBetweenTheUniversalExits) {
  SpoolPages(1);
  SetCopies(1);
  machine_.faults().Reset();
  const Written result = Control(kSpoolJob, {100});
  EXPECT_TRUE(result.result);
  EXPECT_EQ(result.written, 16u);
  EXPECT_EQ(Port(), kExit + kModeLine + "H L1 B1 T " + kExit);
  // The exit and the mode line in one write, the four parts, the closing exit.
  EXPECT_EQ(machine_.faults().CallCount("WritePrinter"), 6u);
  EXPECT_FALSE(IsReplayOpen(job()));
  EXPECT_EQ(job()->ReplayBuffer, nullptr);
}

TEST_F(SpoolControlTest, AJobThatFitsIsSentOnceInsideTheSpoolRequest) {
  SpoolPages(1);
  SetCopies(3);
  machine_.faults().Reset();
  const Written result = Control(kSpoolJob, {1});
  EXPECT_TRUE(result.result);
  EXPECT_EQ(result.written, 16u);
  EXPECT_EQ(Port(),
            "\x1B%-12345X@PJL RVXMODE\n@PJL SPOOL COPIES=3 ENDSTR=\"ENDOFJOBSPOOL\"\n"
            "H L1 B1 T ENDOFJOBSPOOL\x1B%-12345X");
  EXPECT_EQ(machine_.faults().CallCount("WritePrinter"), 6u);
  EXPECT_FALSE(IsReplayOpen(job()));
}

TEST_F(SpoolControlTest, ExactlyTheMemoryFitsOneByteMoreDoesNot) {
  const std::string request = kExit + kModeLine + "@PJL SPOOL COPIES=3 ENDSTR=\"ENDOFJOBSPOOL\"\n";
  const std::string job(kMiB, 'b');
  SpoolBytes(kMiB);
  SetCopies(3);
  EXPECT_TRUE(Control(kSpoolJob, {1}).result);
  // Compared whole, not printed: a failure would show megabytes.
  EXPECT_TRUE(Port() == request + job + kEndString + kExit) << Port().size();

  CloseJob();
  SetUp();
  const std::size_t sent = Port().size();
  const std::string longer(kMiB + 1, 'b');
  SpoolBytes(kMiB + 1);
  SetCopies(3);
  EXPECT_TRUE(Control(kSpoolJob, {1}).result);
  EXPECT_TRUE(Port().substr(sent) == kExit + kModeLine + longer + longer + longer + kExit)
      << Port().size() - sent;
}

// The host makes the copies whatever Collate says, in the replay's order.
TEST_F(SpoolControlTest, HostCopiesFollowTheReplayOrder) {
  SpoolPages(2);
  SetCopies(2);
  Set(2, {0, 1});  // not collated, reverse order
  EXPECT_TRUE(Control(kSpoolJob, {0}).result);
  EXPECT_EQ(Port(), kExit + kModeLine + "H B2 L2 B1 T H B2 L2 B1 T " + kExit);
}

TEST_F(SpoolControlTest, NoCopiesFailInTheReplayAfterTheModeLine) {
  for (std::int16_t copies : {0, -1}) {
    SCOPED_TRACE(copies);
    CloseJob();
    SetUp();
    const std::size_t sent = Port().size();
    SpoolPages(1);
    SetCopies(copies);
    const Written result = Control(kSpoolJob, {100});
    EXPECT_FALSE(result.result);
    EXPECT_EQ(result.written, 16u);
    EXPECT_EQ(Port().substr(sent), kExit + kModeLine + kExit);
    EXPECT_FALSE(IsJobOutputCancelled(job()));
    EXPECT_FALSE(IsReplayOpen(job()));
  }
}

TEST_F(SpoolControlTest, NothingIsSentWithoutASpoolToRead) {
  SetCopies(2);
  Written result = Control(kSpoolJob, {100});
  EXPECT_FALSE(result.result);
  EXPECT_EQ(result.written, 16u);
  // Still being written: the reader cannot be opened, and the replay cancels the output.
  Sub(kCreateSpool);
  Data("H ");
  result = Control(kSpoolJob, {100});
  EXPECT_FALSE(result.result);
  EXPECT_EQ(Port(), "");
  EXPECT_TRUE(IsJobOutputCancelled(job()));
}

TEST_F(SpoolControlTest, ASizeThatCannotBeReadSendsNothing) {
  SpoolPages(1);
  SetCopies(2);
  machine_.faults().FailCall("SetFilePointer");
  EXPECT_FALSE(Control(kSpoolJob, {100}).result);
  machine_.faults().Reset();
  EXPECT_EQ(Port(), "");
  EXPECT_FALSE(IsReplayOpen(job()));
  EXPECT_EQ(job()->ReplayBuffer, nullptr);
}

TEST_F(SpoolControlTest, SingleEntriesWithAReaderOfTheirOwn) {
  SpoolPages(3);
  for (std::uint32_t subcommand : {kOpen, kHeader, kTrailer, kPass, kClose}) {
    const Written result = Control(subcommand);
    EXPECT_TRUE(result.result) << subcommand;
    EXPECT_EQ(result.written, 12u) << subcommand;
  }
  Control(kOpen);
  for (const auto& [subcommand, page] : {std::pair{kLead, 2u}, {kBody, 2u}, {kBody, 3u}}) {
    const Written result = Control(subcommand, {page});
    EXPECT_TRUE(result.result) << subcommand;
    EXPECT_EQ(result.written, 16u) << subcommand;
  }
  // A reader of record id 2 serves as well, and 7 closes it.
  Control(kClose);
  Sub(kOpenReplay);
  Control(kHeader);
  EXPECT_TRUE(Control(kClose).result);
  EXPECT_FALSE(IsReplayOpen(job()));
  EXPECT_EQ(Port(), "H T H L1 B1 L2 B2 L3 B3 T L2 B2 B3 H ");
}

TEST_F(SpoolControlTest, EntriesWithoutAReaderFailWithTheWholeRecordReported) {
  SpoolPages(3);
  Written result = Control(kPass);
  EXPECT_FALSE(result.result);
  EXPECT_EQ(result.written, 12u);
  EXPECT_TRUE(Control(kClose).result);
  EXPECT_FALSE(IsJobOutputCancelled(job()));
  // A single entry seeks in the closed reader, which cancels the output as in record id 2.
  result = Control(kHeader);
  EXPECT_FALSE(result.result);
  EXPECT_EQ(result.written, 12u);
  EXPECT_EQ(Port(), "");
}

TEST_F(SpoolControlTest, PagesOutsideTheJobFailWithTheWholeRecordReported) {
  SpoolPages(3);
  Control(kOpen);
  for (std::uint32_t page : {0u, 0xFFFFFFFFu, 4u}) {
    for (std::uint32_t subcommand : {kLead, kBody}) {
      const Written result = Control(subcommand, {page});
      EXPECT_FALSE(result.result) << subcommand << " page " << page;
      EXPECT_EQ(result.written, 16u);
    }
  }
  EXPECT_EQ(Port(), "");
  EXPECT_FALSE(IsJobOutputCancelled(job()));
}

TEST_F(SpoolControlTest, UnknownSubcommandsAreAccepted) {
  for (std::uint32_t subcommand : {0u, 10u, 0xFFFFFFFFu}) {
    const Written result = Control(subcommand);
    EXPECT_TRUE(result.result);
    EXPECT_EQ(result.written, 12u);
  }
}

TEST_F(SpoolControlTest, RecordsTooShortForTheirFieldsFail) {
  SpoolPages(1);
  SetCopies(2);
  const Record shortRecords[] = {
      Record(0x1001),
      SpoolControlRecord(kSpoolJob),
      SpoolControlRecord(kLead),
      SpoolControlRecord(kBody),
      SpoolControlRecord(kFits, {2, 0, 0, 0}),
  };
  Control(kOpen);
  for (const Record& record : shortRecords) {
    const Written result = Write(record);
    EXPECT_FALSE(result.result) << record.size();
    EXPECT_EQ(result.written, 0u) << record.size();
  }
  EXPECT_EQ(Port(), "");
  EXPECT_FALSE(IsJobOutputCancelled(job()));
}

}  // namespace
}  // namespace spoolhook::testing
