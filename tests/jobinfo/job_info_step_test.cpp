// Record 0x1014: each job-information step's packets, in order, with the flags that choose
// them.
#include <gtest/gtest.h>

#include <cstring>

#include "jobinfo/job_identifier.h"
#include "jobinfo/job_info_fixture.h"

namespace spoolhook::testing {
namespace {

using Packets = std::vector<std::string>;

const std::string kTitle = Attribute("00 0B", Hex("00 04 00 11 06") + "Report");
const std::string kUser = Attribute("00 08", Hex("00 06 00 11 03") + "bob");
const std::string kTime = Attribute("00 0A", Hex("00 09 7D 43 3F 00 0D 05 24 22"));

class JobInfoStepTest : public JobInfoTest {
 protected:
  // A step that succeeds and reports its 12 bytes.
  void Step(std::uint32_t step) {
    const Written result = Write(StepRecord(step));
    EXPECT_TRUE(result.result);
    EXPECT_EQ(result.written, 12u);
  }
};

TEST_F(JobInfoStepTest, StepOneSendsTitleUserAndSettingsTime) {
  Settings({.userName = "bob", .jobTitle = "Report"});
  Step(1);
  EXPECT_EQ(PortPackets(), (Packets{kTitle, kUser, kTime}));
}

TEST_F(JobInfoStepTest, StepOneWithoutAUserNameLeavesTheUserOut) {
  Settings({.userName = "bob", .jobTitle = "Report"});
  driver().JobUserName[0] = '\0';
  Step(1);
  EXPECT_EQ(PortPackets(), (Packets{kTitle, kTime}));
}

TEST_F(JobInfoStepTest, TheAlternativeModeTakesTheSecondTitleEvenWhenEmpty) {
  Settings({.altMode = 1, .userName = "bob", .jobTitle = "Report"});
  ASSERT_TRUE(Write(JobSettingsTextRecord(3, "Alt")).result);
  Step(1);
  Step(8);
  ASSERT_TRUE(Write(JobSettingsTextRecord(3, "")).result);
  Step(1);
  EXPECT_EQ(PortPackets(), (Packets{Attribute("00 08", Hex("00 04 00 11 03") + "Alt"), kUser, kTime,
                                    ExtAttribute("00 08", Hex("08 2B 00 11 03") + "Alt"),
                                    Attribute("00 05", Hex("00 04 00 11 00")), kUser, kTime}));
}

// A second title of 33 bytes fills its field without a terminator: the long title carries all
// 33 bytes and nothing of the fields behind it; the title attribute its first 32.
TEST_F(JobInfoStepTest, AFullSecondTitleStaysWithinItsField) {
  const std::string title33 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefg";
  Settings({.altMode = 0x41414141, .userName = "bob"});
  ASSERT_TRUE(Write(JobSettingsTextRecord(3, title33)).result);
  Step(8);
  Step(1);
  EXPECT_EQ(
      PortPackets(),
      (Packets{ExtAttribute("00 26", Hex("08 2B 00 11 21") + title33),
               Attribute("00 25", Hex("00 04 00 11 20") + title33.substr(0, 32)), kUser, kTime}));
}

struct NameSelectCase {
  const char* name;
  std::uint16_t flags;
  std::uint32_t selectA;
  std::uint32_t selectB;
  std::uint32_t mask;
  bool takesTitle;
};

void PrintTo(const NameSelectCase& c, std::ostream* os) { *os << c.name; }

class NameSelectTest : public JobInfoStepTest,
                       public ::testing::WithParamInterface<NameSelectCase> {};

TEST_P(NameSelectTest, ChoosesTheDocumentNameText) {
  const NameSelectCase& c = GetParam();
  Settings({.jobInfoFlags = 0x20,
            .nameSelectFlags = c.flags,
            .nameSelectA = c.selectA,
            .nameSelectB = c.selectB,
            .nameSelectMask = c.mask,
            .userName = "bob",
            .jobTitle = "Report"});
  ASSERT_TRUE(Write(JobSettingsTextRecord(2, "doc.txt")).result);
  Step(1);
  const std::string name = c.takesTitle ? Attribute("00 0B", Hex("01 17 00 11 06") + "Report")
                                        : Attribute("00 0C", Hex("01 17 00 11 07") + "doc.txt");
  EXPECT_EQ(PortPackets(), (Packets{kTitle, name, kUser, kTime}));
}

INSTANTIATE_TEST_SUITE_P(
    Rule, NameSelectTest,
    ::testing::Values(NameSelectCase{"NoSwitch", 0, 0, 0, 0, false},
                      NameSelectCase{"SwitchBWithItsFlag", 0x10, 0, 1, 0, true},
                      NameSelectCase{"SwitchBWithoutItsFlag", 0x04, 0, 1, 0, false},
                      NameSelectCase{"FlagBWithoutItsSwitch", 0x10, 1, 0, 0, false},
                      NameSelectCase{"SwitchAWithItsFlag", 0x04, 1, 0, 0, true},
                      NameSelectCase{"SwitchAVetoedByTheMask", 0x04, 1, 0, 0x20000000, false},
                      NameSelectCase{"OtherMaskBitsDoNotVeto", 0x04, 1, 0, 0xDFFFFFFF, true},
                      NameSelectCase{"SwitchBIgnoresTheVeto", 0x14, 1, 1, 0x20000000, true},
                      NameSelectCase{"SwitchAWithoutItsFlag", 0x10, 1, 0, 0, false}),
    [](const ::testing::TestParamInfo<NameSelectCase>& info) { return info.param.name; });

TEST_F(JobInfoStepTest, ALongestDocumentNameMakesTheLargestPacket) {
  Settings({.jobInfoFlags = 0x20, .userName = "bob", .jobTitle = "Report"});
  ASSERT_TRUE(Write(JobSettingsTextRecord(2, std::string(300, 'd'))).result);
  Step(1);
  EXPECT_EQ(PortPackets(),
            (Packets{kTitle, Attribute("01 04", Hex("01 17 00 11 FF") + std::string(255, 'd')),
                     kUser, kTime}));
}

TEST_F(JobInfoStepTest, StepTwoSendsTheUserEntryOrAnonymous) {
  Settings({.userName = "bob"});
  Step(2);
  driver().JobUserName[0] = '\0';
  Step(2);
  EXPECT_EQ(PortPackets(),
            (Packets{ExtAttribute("00 0A", Hex("07 D9 13 01 03") + "bob" + Hex("00 00")),
                     ExtAttribute("00 10", Hex("07 D9 13 01 09") + "Anonymous" + Hex("00 00"))}));
}

struct AccountCase {
  const char* name;
  std::uint32_t step;
  std::uint16_t flags;
  const char* accountText;
  DWORD accountNumber;
  Packets expected;
};

void PrintTo(const AccountCase& c, std::ostream* os) { *os << c.name; }

class AccountStepTest : public JobInfoStepTest,
                        public ::testing::WithParamInterface<AccountCase> {};

TEST_P(AccountStepTest, SendsWhatThePluginReturned) {
  const AccountCase& c = GetParam();
  Settings({.jobInfoFlags = c.flags, .userName = "bob"});
  std::strcpy(driver().AccountText, c.accountText);
  driver().AccountNumber = c.accountNumber;
  Step(c.step);
  EXPECT_EQ(PortPackets(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Steps3To5, AccountStepTest,
    ::testing::Values(
        AccountCase{"ThreeWithoutPlugin", 3, 0, "", 0, {Attribute("00 03", Hex("00 08 00"))}},
        AccountCase{"Three", 3, 0, "ACME", 0, {Attribute("00 07", Hex("00 08 04") + "ACME")}},
        AccountCase{"FourWithoutPlugin", 4, 0, "", 0, {}},
        AccountCase{"Four", 4, 0, "ACME", 9, {Attribute("00 09", Hex("00 0A 00 03 04") + "ACME")}},
        AccountCase{"FourNumber",
                    4,
                    0x08,
                    "ACME",
                    0x01020304,
                    {Attribute("00 06", Hex("00 12 01 02 03 04"))}},
        AccountCase{
            "FourNumberZero", 4, 0x08, "", 0, {Attribute("00 06", Hex("00 12 00 00 00 00"))}},
        AccountCase{"Five", 5, 0, "ACME", 0, {Attribute("00 09", Hex("00 0B 00 03 04") + "ACME")}},
        AccountCase{"FiveSwitchedOff", 5, 0x04, "ACME", 0, {}},
        AccountCase{"FiveWithoutPlugin", 5, 0, "", 0, {}}),
    [](const ::testing::TestParamInfo<AccountCase>& info) { return info.param.name; });

// The plug-in's text may fill all 80 bytes of its field; the number behind it is no part of
// the text.
TEST_F(JobInfoStepTest, AFullAccountTextStaysWithinItsField) {
  Settings({.userName = "bob"});
  std::memset(driver().AccountText, 'a', sizeof driver().AccountText);
  driver().AccountNumber = 0x41414141;
  Step(3);
  Step(4);
  Step(5);
  EXPECT_EQ(PortPackets(),
            (Packets{Attribute("00 2B", Hex("00 08 28") + std::string(40, 'a')),
                     Attribute("00 55", Hex("00 0A 00 03 50") + std::string(80, 'a')),
                     Attribute("00 55", Hex("00 0B 00 03 50") + std::string(80, 'a'))}));
}

TEST_F(JobInfoStepTest, StepSixReportsTheBytesSentSinceTheLastReport) {
  Settings({.jobInfoFlags = 0x02});
  job()->BytesSent = 1000;
  Step(6);
  job()->BytesSent = 5000;
  Step(6);
  EXPECT_EQ(PortPackets(), (Packets{Attribute("00 06", Hex("07 D6 00 00 04 17")),
                                    Attribute("00 06", Hex("07 D6 00 00 0F A0"))}));
  EXPECT_EQ(driver().BytesReported, 5047u);
}

// The first report's own 26 bytes are what the second one counts.
TEST_F(JobInfoStepTest, StepSixCountsThePortBytes) {
  Settings({.jobInfoFlags = 0x02});
  ASSERT_TRUE(Write(RawDataRecord(std::string(100, 'p'))).result);
  Step(6);
  Step(6);
  EXPECT_EQ(Port(), std::string(100, 'p') + Attribute("00 06", Hex("07 D6 00 00 00 93")) +
                        Attribute("00 06", Hex("07 D6 00 00 00 1A")));
  EXPECT_EQ(driver().BytesReported, 126u + 47u);
}

TEST_F(JobInfoStepTest, StepSixWithoutItsFlagSendsNothing) {
  Settings({.jobInfoFlags = 0xFD});
  job()->BytesSent = 1000;
  Step(6);
  EXPECT_EQ(Port(), "");
  EXPECT_EQ(driver().BytesReported, 0u);
}

// The identifier block: "abcdef01", job id 1, the job's machine \\WS01, the computer PRINTSRV.
const std::string kIdentifierBlock = std::string("abcdef01") + "1" + std::string(7, '\0') +
                                     "\\\\WS01" + std::string(10, '\0') + "PRINTSRV" +
                                     std::string(8, '\0');

TEST_F(JobInfoStepTest, StepSevenSendsTheIdentifierAndThePluginValue) {
  Settings({.jobInfoFlags = 0x10});
  driver().PluginJobHandle = 0xABCDEF01;
  driver().PluginJobValue = 5;
  Step(7);
  EXPECT_EQ(
      PortPackets(),
      (Packets{Attribute("00 42", Hex("01 18 8B F2 3A 27 2E 1E 44 D4 B2 1F 57 32 97 D7 93 AB") +
                                      kIdentifierBlock),
               Attribute("00 06", Hex("00 C5 00 00 00 05"))}));
}

TEST_F(JobInfoStepTest, StepSevenSendsThePluginValueAlone) {
  Settings({.jobInfoFlags = 0xEF});
  driver().PluginJobValue = 0x80000000;
  Step(7);
  EXPECT_EQ(PortPackets(), (Packets{Attribute("00 06", Hex("00 C5 80 00 00 00"))}));
}

TEST_F(JobInfoStepTest, StepSevenWithNeitherSendsNothing) {
  Settings({.jobInfoFlags = 0xEF});
  driver().PluginJobHandle = 7;
  Step(7);
  EXPECT_EQ(Port(), "");
}

TEST_F(JobInfoStepTest, StepEightSendsTheLongTitle) {
  Settings({.jobTitle = "Report"});
  Step(8);
  EXPECT_EQ(PortPackets(), (Packets{ExtAttribute("00 0B", Hex("08 2B 00 11 06") + "Report")}));
}

TEST_F(JobInfoStepTest, OtherStepNumbersSendNothing) {
  Settings({.jobInfoFlags = 0xFFFF, .userName = "bob", .jobTitle = "Report"});
  for (std::uint32_t step : {0u, 9u, 0xFFFFFFFFu}) Step(step);
  EXPECT_EQ(Port(), "");
}

TEST_F(JobInfoStepTest, TaggedPacketsCarryTheTag) {
  Settings({.packetTagOn = 1, .packetTagFirst = 1, .packetTagSecond = 2, .jobTitle = "Report"});
  Step(8);
  EXPECT_EQ(Port(), Hex("CD CA 10 00 00 15 00 01 00 0B 00 00 00 01 00 00 00 02 00 00"
                        " 08 2B 00 11 06") +
                        "Report");
}

TEST_F(JobInfoStepTest, PacketsAreSpooledWithThePages) {
  Settings({.userName = "bob", .jobTitle = "Report"});
  SpoolIntoFile();
  Step(1);
  EXPECT_EQ(SpoolBytes(), kTitle + kUser + kTime);
  EXPECT_EQ(Port(), "");
}

TEST_F(JobInfoStepTest, CancelledOutputSwallowsThePackets) {
  Settings({.userName = "bob", .jobTitle = "Report"});
  CancelJobOutput(job());
  Step(1);
  EXPECT_EQ(Port(), "");
}

// With a capture file a packet write can fail: only the step's last packet decides.
TEST_F(JobInfoStepTest, OnlyTheLastPacketOfAStepDecidesItsResult) {
  Settings({.userName = "bob", .jobTitle = "Report"});
  CaptureToo();
  machine().faults().FailCall("WriteFile", 1);
  Step(1);
  machine().faults().Reset();
  machine().faults().FailCall("WriteFile", 3);
  const Written failed = Write(StepRecord(1), 77);
  EXPECT_FALSE(failed.result);
  EXPECT_EQ(failed.written, 77u);
  EXPECT_EQ(PortPackets(), (Packets{kTitle, kUser, kTime, kTitle, kUser, kTime}));
}

TEST_F(JobInfoStepTest, AFailedByteCountStillCountsAsReported) {
  Settings({.jobInfoFlags = 0x02});
  CaptureToo();
  job()->BytesSent = 1000;
  machine().faults().Reset();
  machine().faults().FailCall("WriteFile", 1);
  EXPECT_FALSE(Write(StepRecord(6)).result);
  EXPECT_EQ(driver().BytesReported, 1047u);
}

TEST_F(JobInfoStepTest, ARecordTooShortForItsStepFails) {
  Settings({.userName = "bob", .jobTitle = "Report"});
  const Written result = Write(Record(0x1014).Bytes("\x01\x00\x00"));
  EXPECT_FALSE(result.result);
  EXPECT_EQ(result.written, 0u);
  EXPECT_EQ(Port(), "");
}

class JobIdentifierTest : public JobInfoTest {
 protected:
  std::string Block(DWORD jobId = 1) {
    BYTE block[kJobIdentifierBlockBytes];
    std::memset(block, 0xEE, sizeof block);
    BuildJobIdentifierBlock(job(), machine().printer(), jobId, block);
    return std::string(reinterpret_cast<const char*>(block), sizeof block);
  }
  static std::string Field(const std::string& text) {
    return text + std::string(16 - text.size(), '\0');
  }
};

TEST_F(JobIdentifierTest, EightDigitsFillTheirFieldAndAnUnknownJobHasNoMachine) {
  driver().PluginJobHandle = 0;
  EXPECT_EQ(Block(0xFFFFFFFF),
            "0" + std::string(7, '\0') + "ffffffff" + Field("") + Field("PRINTSRV"));
}

TEST_F(JobIdentifierTest, NamesAreCutTo16Bytes) {
  SimulatedSpoolerConfig config;
  config.jobMachine = u"\\\\ABCDEFGHIJKLMNOPQRST";
  StartJob(config);
  scripted().computer = u"ABCDEFGHIJKLMNO";
  EXPECT_EQ(Block().substr(16), "\\\\ABCDEFGHIJKLMN" + Field("ABCDEFGHIJKLMNO"));
}

TEST_F(JobIdentifierTest, AMissingMachineNameStaysZero) {
  scripted().jobNamesMissing = true;
  EXPECT_EQ(Block().substr(16), Field("") + Field("PRINTSRV"));
}

TEST_F(JobIdentifierTest, NoJobInformationLeavesTheMachineZero) {
  SimulatedSpoolerConfig config;
  config.jobInfoAvailable = false;
  StartJob(config);
  EXPECT_EQ(Block().substr(16), Field("") + Field("PRINTSRV"));
}

TEST_F(JobIdentifierTest, NoComputerNameLeavesItsFieldZero) {
  scripted().computer.reset();
  machine().faults().FailCall("GetComputerNameW");
  EXPECT_EQ(Block().substr(16), Field("\\\\WS01") + Field(""));
}

TEST_F(JobIdentifierTest, NoMemoryLeavesTheNamesZeroAndNothingHeld) {
  const long before = machine().HeapBlockCount();
  machine().faults().FailCall("HeapAlloc");
  EXPECT_EQ(Block().substr(16), Field("") + Field(""));
  machine().faults().Reset();
  EXPECT_EQ(Block().substr(16), Field("\\\\WS01") + Field("PRINTSRV"));
  EXPECT_EQ(machine().HeapBlockCount(), before);
}

}  // namespace
}  // namespace spoolhook::testing
