// The paper-source and blank-page commands as the printer receives them, for the settings the
// job settings record gives, and through the replay of a job started by DrvSplStartDoc.
#include "spool/paper_commands.h"

#include <gtest/gtest.h>

#include <string>

#include "jobinfo/driver_block.h"
#include "spool/replay.h"
#include "support/job_fixture.h"
#include "support/job_settings_records.h"

namespace spoolhook::testing {
namespace {

class PaperCommandsTest : public JobTest {
 protected:
  void Settings(const JobSettings& settings) {
    ASSERT_TRUE(Write(JobSettingsRecord(settings)).result);
  }
  std::string Port() { return machine_.PortBytes(); }
};

struct PaperSourceCase {
  const char* name;
  JobSettings settings;
  LONG paperSource;
  LONG typeRequest;
  std::string expected;
};

void PrintTo(const PaperSourceCase& c, std::ostream* os) { *os << c.name; }

class PaperSourceTest : public PaperCommandsTest,
                        public ::testing::WithParamInterface<PaperSourceCase> {};

TEST_P(PaperSourceTest, SendsTheCommand) {
  const PaperSourceCase& c = GetParam();
  Settings(c.settings);
  EXPECT_TRUE(SendPaperSource(job(), c.paperSource, c.typeRequest));
  EXPECT_EQ(Port(), c.expected);
}

const JobSettings kTypeOn = {.typeCommandOn = 1};

INSTANTIATE_TEST_SUITE_P(
    Commands, PaperSourceTest,
    ::testing::Values(
        PaperSourceCase{"UpperBinAlone", {}, 1, -1, "\x1B[11q"},
        PaperSourceCase{"LowerBin", {}, 2, -1, "\x1B[13q"},
        PaperSourceCase{"ManualFeed", {}, 4, -1, "\x1B[10q"},
        PaperSourceCase{"Envelope", {}, 5, -1, "\x1B[5q"},
        PaperSourceCase{"AutomaticSelection", {}, 7, -1, "\x1B[0q"},
        PaperSourceCase{"DriversOwnSources", {}, 265, -1, "\x1B[15q"},
        PaperSourceCase{"UnknownSourceSelectsZero", {}, 6, -1, "\x1B[0q"},
        PaperSourceCase{"NegativeSourceSelectsZero", {}, -1, -1, "\x1B[0q"},
        PaperSourceCase{"BracketAndTypeForAnInterleafSheet",
                        {.commandBracketOn = 1, .typeCommandOn = 1},
                        3,
                        2,
                        "}p\x1E\x1B[20't\x1B[12q\x1B[0&}"},
        PaperSourceCase{
            "BracketWithoutType", {.commandBracketOn = 1}, 264, 2, "}p\x1E\x1B[14q\x1B[0&}"},
        PaperSourceCase{"DefaultRequestTakesTheDefaultType",
                        {.typeCommandOn = 1, .typeCommandDefault = 6},
                        7,
                        4,
                        "\x1B[15't\x1B[0q"},
        PaperSourceCase{"DefaultTypeOutsideTheTableSendsNoType",
                        {.typeCommandOn = 1, .typeCommandDefault = 9},
                        7,
                        4,
                        "\x1B[0q"},
        PaperSourceCase{"DefaultTypeFour",
                        {.typeCommandOn = 1, .typeCommandDefault = 4},
                        1,
                        4,
                        "\x1B[40't\x1B[11q"},
        PaperSourceCase{"TypeZero", kTypeOn, 1, 0, "\x1B[0't\x1B[11q"},
        PaperSourceCase{"LastType", kTypeOn, 266, 7, "\x1B[35't\x1B[16q"},
        PaperSourceCase{"TypeRequestOutsideTheTable", kTypeOn, 1, 8, "\x1B[11q"},
        PaperSourceCase{"NoTypeRequested", kTypeOn, 1, -1, "\x1B[11q"},
        PaperSourceCase{"TypeCommandOff", {.typeCommandDefault = 6}, 3, 2, "\x1B[12q"},
        PaperSourceCase{
            "TypeCommandOffIgnoresTheDefault", {.typeCommandDefault = 6}, 3, 4, "\x1B[12q"}),
    [](const ::testing::TestParamInfo<PaperSourceCase>& info) {
      return std::string(info.param.name);
    });

TEST_F(PaperCommandsTest, BlankPageInTheBracketCarriesTheBlankPageValue) {
  Settings({.commandBracketOn = 1, .blankPageValue = 2});
  EXPECT_TRUE(SendBlankPage(job()));
  EXPECT_EQ(Port(), std::string("}p\x1E\x1B[2v\x1B[0&}\f"));
  EXPECT_EQ(Port().size(), 13u);
}

TEST_F(PaperCommandsTest, BlankPageValueIsSigned) {
  Settings({.commandBracketOn = 1, .blankPageValue = 0xFFFFFFFFu});
  EXPECT_TRUE(SendBlankPage(job()));
  EXPECT_EQ(Port(), std::string("}p\x1E\x1B[-1v\x1B[0&}\f"));
}

TEST_F(PaperCommandsTest, PlainBlankPage) {
  Settings({.blankPageValue = 2});
  EXPECT_TRUE(SendBlankPage(job()));
  EXPECT_EQ(Port(), std::string("\x1B[0;1x\f"));
}

// Each command gets a plain wrapper announcing its own length (data + 1).
TEST_F(PaperCommandsTest, WrappedCommands) {
  Settings({.dataWrapperOn = 1});
  EXPECT_TRUE(SendPaperSource(job(), 1, -1));
  EXPECT_TRUE(SendBlankPage(job()));
  const std::string header = std::string("\xCD\xCA\x10\x02\x00\x1A\x00\x01", 8);
  const std::string untagged = std::string("\xFF\xFF\x00\x00\x00\x00\x00\x00\x00\x00", 10);
  EXPECT_EQ(Port(), header + std::string("\x00\x06", 2) + untagged + "\x01" + "\x1B[11q" + header +
                        std::string("\x00\x08", 2) + untagged + "\x01" + "\x1B[0;1x\f");
}

// While the job spools the commands still go to the printer: the replay sends them between
// the pages it plays.
TEST_F(PaperCommandsTest, CommandsPassTheSpoolFile) {
  ASSERT_TRUE(Write(SpoolRecord(100)).result);
  EXPECT_TRUE(SendPaperSource(job(), 1, -1));
  EXPECT_TRUE(SendBlankPage(job()));
  ASSERT_TRUE(Write(SpoolRecord(101)).result);
  DWORD size = 1;
  EXPECT_TRUE(GetSpoolSize(job(), &size));
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(Port(), std::string("\x1B[11q\x1B[0;1x\f"));
}

TEST_F(PaperCommandsTest, CancelledOutputDropsTheCommands) {
  CancelJobOutput(job());
  EXPECT_TRUE(SendPaperSource(job(), 1, -1));
  EXPECT_TRUE(SendBlankPage(job()));
  EXPECT_EQ(Port(), "");
}

TEST_F(PaperCommandsTest, AFailedSendIsReported) {
  machine_.faults().FailCall("WritePrinter");
  EXPECT_FALSE(SendPaperSource(job(), 1, -1));
  EXPECT_FALSE(SendBlankPage(job()));
}

TEST(PaperCommandsWithoutDriverBlock, SendNothing) {
  TestMachine machine;
  JobContext* job = CreateJobContext(machine.printer(), 1, 0, nullptr);
  ASSERT_NE(job, nullptr);
  EXPECT_FALSE(SendPaperSource(job, 1, -1));
  EXPECT_FALSE(SendBlankPage(job));
  EXPECT_EQ(machine.PortBytes(), "");
  DrvSplClose(job);
}

// A job of DrvSplStartDoc replays with the driver's own commands: first and last sheet
// sources, two-sided in reverse order with a blank side ahead of the odd side count.
TEST_F(PaperCommandsTest, TheReplayUsesTheDriversCommands) {
  Settings({.commandBracketOn = 1, .blankPageValue = 2});
  ASSERT_TRUE(Write(SpoolRecord(100)).result);
  for (const char* page : {"1", "2", "3"}) {
    ASSERT_TRUE(Write(SpoolRecord(107)).result);
    ASSERT_TRUE(Write(RawDataRecord(std::string("L") + page)).result);
    ASSERT_TRUE(Write(SpoolRecord(108)).result);
    ASSERT_TRUE(Write(RawDataRecord(std::string("B") + page)).result);
  }
  ASSERT_TRUE(Write(SpoolRecord(101)).result);
  ASSERT_TRUE(Write(SpoolRecord(103, 1, {1, 1})).result);  // two-sided, one page a side
  ASSERT_TRUE(Write(SpoolRecord(103, 2, {0, 1})).result);  // reverse order
  ASSERT_TRUE(Write(SpoolRecord(103, 3, {0, 1})).result);  // first and last sheet
  // Default lower (2), first upper (1), second middle (3), last envelope (5), interleaf 4.
  ASSERT_TRUE(Write(SpoolRecord(103, 4, {2, 1, 3, 5, 4})).result);
  ASSERT_TRUE(Write(SpoolRecord(104)).result);
  const std::string open = "}p\x1E", close = "\x1B[0&}";
  const std::string blank = open + "\x1B[2v" + close + "\f";
  EXPECT_EQ(Port(), open + "\x1B[5q" + close + blank + "B3" + open + "\x1B[13q" + close + "L3" +
                        open + "\x1B[11q" + close + "B2L2B1" + open + "\x1B[13q" + close);
}

}  // namespace
}  // namespace spoolhook::testing
