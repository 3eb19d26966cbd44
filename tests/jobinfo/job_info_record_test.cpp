// Records 0x1010 to 0x1013 and 0x1015: printer data with and without a wrapper, the wrapper
// state, and the zero bytes for ports that are not LPR ports.
#include <gtest/gtest.h>

#include "jobinfo/job_info_fixture.h"

namespace spoolhook::testing {
namespace {

const std::string kNotFinal = Hex("CD CA 10 02 00 1A 00 01 00 04 FF FF 00 00 00 00 00 00 00 00 01");
const std::string kFinal = Hex("CD CA 10 00 00 1A 00 01 00 04 FF FF 00 00 00 00 00 00 00 00 01");
const std::string kEndOfWrapping =
    Hex("CD CA 10 00 00 1A 00 01 00 01 FF FF 00 00 00 00 00 00 00 00 01");

Record Wrapping(std::uint32_t subcommand) { return Record(0x1012).U32(subcommand); }

using JobInfoRecordTest = JobInfoTest;

TEST_F(JobInfoRecordTest, DataPassUnchanged) {
  const Written result = Write(Record(0x1010).Bytes("abc"));
  EXPECT_TRUE(result.result);
  EXPECT_EQ(result.written, 11u);
  EXPECT_EQ(Port(), "abc");
}

// Record 0x1011 wraps whether or not the settings ask for wrapped printer data.
TEST_F(JobInfoRecordTest, WrappedDataFollowTheirWrapper) {
  const Written result = Write(Record(0x1011).Bytes("abc"));
  EXPECT_TRUE(result.result);
  EXPECT_EQ(result.written, 11u);
  EXPECT_EQ(Port(), kNotFinal + "abc");
}

TEST_F(JobInfoRecordTest, TheEndOfWrappingMakesLaterWrappersFinalUntilWrappingStarts) {
  Write(Record(0x1011).Bytes("abc"));
  const Written end = Write(Wrapping(2));
  EXPECT_TRUE(end.result);
  EXPECT_EQ(end.written, 12u);
  EXPECT_EQ(driver().WrapperState, 0x4000u);
  Write(Record(0x1011).Bytes("def"));
  const Written start = Write(Wrapping(1));
  EXPECT_TRUE(start.result);
  EXPECT_EQ(start.written, 12u);
  EXPECT_EQ(driver().WrapperState, 0x2000u);
  Write(Record(0x1011).Bytes("ghi"));
  EXPECT_EQ(Port(), kNotFinal + "abc" + kEndOfWrapping + kFinal + "def" + kNotFinal + "ghi");
}

TEST_F(JobInfoRecordTest, TheEndOfWrappingKeepsTheOtherStateBits) {
  driver().WrapperState = 0x2000;
  Write(Wrapping(2));
  EXPECT_EQ(driver().WrapperState, 0x6000u);
  driver().WrapperState = 0xFFFF;
  Write(Wrapping(0xFFFFFFFF));
  EXPECT_EQ(driver().WrapperState, 0x2000u);
  EXPECT_EQ(Port(), kEndOfWrapping);
}

TEST_F(JobInfoRecordTest, TheEndOfWrappingInTheExtendedFormIsTagged) {
  Settings({.packetTagOn = 1, .packetTagFirst = 1, .packetTagSecond = 2, .altMode = 1});
  Write(Wrapping(2));
  EXPECT_EQ(Port(), Hex("CD CA 10 00 00 1A 00 01 00 09 00 00 00 01 00 00 00 02 00 00"
                        " 06 00 00 0F C5 00 00 00 00"));
}

struct LengthCase {
  const char* name;
  std::uint32_t altMode;
  std::size_t length;
  std::size_t wrapperSize;  // 0: refused
};

void PrintTo(const LengthCase& c, std::ostream* os) { *os << c.name; }

class WrappedLengthTest : public JobInfoRecordTest,
                          public ::testing::WithParamInterface<LengthCase> {};

// Data that one wrapper cannot announce are refused whole: no wrapper, no data.
TEST_P(WrappedLengthTest, SendsWhatOneWrapperAnnouncesAndRefusesMore) {
  const LengthCase& c = GetParam();
  Settings({.altMode = c.altMode});
  const std::string data(c.length, 'd');
  const Written result = Write(Record(0x1011).Bytes(data));
  if (c.wrapperSize == 0) {
    EXPECT_FALSE(result.result);
    EXPECT_EQ(result.written, 0u);
    EXPECT_EQ(Port(), "");
    return;
  }
  EXPECT_TRUE(result.result);
  EXPECT_EQ(result.written, c.length + 8);
  const std::string port = Port();
  ASSERT_EQ(port.size(), c.wrapperSize + c.length);
  EXPECT_EQ(port.substr(8, 2), Hex("FF FF"));
  EXPECT_EQ(port.substr(c.wrapperSize), data);
}

INSTANTIATE_TEST_SUITE_P(Lengths, WrappedLengthTest,
                         ::testing::Values(LengthCase{"PlainLargest", 0, 65534, 21},
                                           LengthCase{"PlainTooLong", 0, 65535, 0},
                                           LengthCase{"ExtendedLargest", 1, 65526, 29},
                                           LengthCase{"ExtendedTooLong", 1, 65527, 0}),
                         [](const ::testing::TestParamInfo<LengthCase>& info) {
                           return info.param.name;
                         });

// A wrapper write that fails into the capture file still reached the printer, so the data
// follow it; the record's result is the data's.
TEST_F(JobInfoRecordTest, WrappedDataAreWrittenAfterAFailedWrapperWrite) {
  CaptureToo();
  machine().faults().Reset();
  machine().faults().FailCall("WriteFile", 1);
  const Written result = Write(Record(0x1011).Bytes("abc"));
  EXPECT_TRUE(result.result);
  EXPECT_EQ(result.written, 11u);
  EXPECT_EQ(Port(), kNotFinal + "abc");
}

TEST_F(JobInfoRecordTest, OnlyTheFirstMarkSubcommandIsCounted) {
  const Written counted = Write(Record(0x1013).U32(1).Bytes("x"), 5);
  EXPECT_TRUE(counted.result);
  EXPECT_EQ(counted.written, 13u);
  const Written other = Write(Record(0x1013).U32(2).Bytes("x"), 5);
  EXPECT_TRUE(other.result);
  EXPECT_EQ(other.written, 5u);
  EXPECT_EQ(Port(), "");
}

TEST_F(JobInfoRecordTest, RecordsTooShortForTheirFieldsFail) {
  driver().WrapperState = 0x1234;
  const std::string idOnly[] = {Hex("10 10 00 00"), Hex("11 10 00 00"), Hex("15 10 00 00")};
  for (const std::string& bytes : idOnly) {
    DWORD written = 5;
    EXPECT_FALSE(DrvSplWritePrinter(job(), const_cast<char*>(bytes.data()), 4, &written));
    EXPECT_EQ(written, 0u);
  }
  for (std::uint32_t id : {0x1012u, 0x1013u, 0x1014u}) {
    const Written result = Write(Record(id).Bytes("\x02\x00\x00"), 5);
    EXPECT_FALSE(result.result);
    EXPECT_EQ(result.written, 0u);
  }
  EXPECT_EQ(driver().WrapperState, 0x1234u);
  EXPECT_EQ(Port(), "");
}

TEST_F(JobInfoRecordTest, APortOfAnotherMonitorGetsTheZeroBytes) {
  scripted().registryKeys.emplace();
  const Written result = Write(Record(0x1015));
  EXPECT_TRUE(result.result);
  EXPECT_EQ(result.written, 8u);
  EXPECT_EQ(Port(), std::string(128, '\0'));
  EXPECT_EQ(scripted().keysAskedFor,
            (std::vector<std::u16string>{
                u"System\\CurrentControlSet\\control\\Print\\Monitors\\LPR Port\\Ports\\LPT1:"}));
}

TEST_F(JobInfoRecordTest, AnLprPortGetsNoZeroBytes) {
  scripted().registryKeys = std::vector<std::u16string>{
      u"System\\CurrentControlSet\\control\\Print\\Monitors\\LPR Port\\Ports\\LPT1:"};
  const Written result = Write(Record(0x1015));
  EXPECT_TRUE(result.result);
  EXPECT_EQ(result.written, 8u);
  EXPECT_EQ(Port(), "");
  EXPECT_EQ(scripted().keysOpen, 0);
}

TEST_F(JobInfoRecordTest, ThePortTestFailingCountsAsNotLpr) {
  scripted().registryKeys = std::vector<std::u16string>{
      u"System\\CurrentControlSet\\control\\Print\\Monitors\\LPR Port\\Ports\\LPT1:"};
  machine().faults().FailCall("GetPrinterW");
  Write(Record(0x1015));
  machine().faults().Reset();
  machine().faults().FailCall("HeapAlloc");
  Write(Record(0x1015));
  EXPECT_EQ(Port(), std::string(256, '\0'));
  EXPECT_TRUE(scripted().keysAskedFor.empty());
}

TEST_F(JobInfoRecordTest, TheZeroBytesBypassTheSpoolFile) {
  scripted().registryKeys.emplace();
  SpoolIntoFile();
  Write(Record(0x1015));
  Write(Record(0x1010).Bytes("page"));
  EXPECT_EQ(SpoolBytes(), "page");
  EXPECT_EQ(Port(), std::string(128, '\0'));
}

TEST_F(JobInfoRecordTest, AJobWithEveryStepLeavesNoHeapBlockBehind) {
  CloseJob();
  const long before = machine().HeapBlockCount();
  OpenJob();
  scripted().registryKeys.emplace();
  Settings({.jobInfoFlags = 0x3F, .userName = "bob", .jobTitle = "Report"});
  for (std::uint32_t step = 1; step <= 8; ++step) Write(StepRecord(step));
  Write(Record(0x1015));
  Write(Record(0x1031));
  CloseJob();
  EXPECT_EQ(machine().HeapBlockCount(), before);
}

}  // namespace
}  // namespace spoolhook::testing
