#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "jobinfo/driver_block.h"
#include "jobinfo/scripted_platform.h"
#include "support/job_fixture.h"
#include "support/job_settings_records.h"

namespace spoolhook::testing {
namespace {

class JobSettingsRecordTest : public JobTest {
 protected:
  DriverBlock& driver() { return *GetDriverBlock(job()); }
  // The whole block, to show that a record changed nothing.
  std::vector<BYTE> Snapshot() {
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&driver());
    return std::vector<BYTE>(bytes, bytes + sizeof(DriverBlock));
  }
};

// A 136-byte record whose every byte from offset 12 holds its own offset, so each field's
// value tells where it was read from; by default a settings copy.
Record OffsetPatternRecord(DWORD id = 0x1000, DWORD subcommand = 1) {
  Record record = Record(id).U32(subcommand);
  std::string rest;
  for (int offset = 12; offset < 136; ++offset) rest.push_back(char(offset));
  return record.Bytes(rest);
}

std::string FieldText(const char* field, std::size_t size) { return std::string(field, size); }

TEST_F(JobSettingsRecordTest, SettingsCopyReadsEachFieldAtItsOffset) {
  const Record record = OffsetPatternRecord();
  ASSERT_EQ(record.size(), 136u);
  const Written result = Write(record);
  EXPECT_TRUE(result.result);
  EXPECT_EQ(result.written, 136u);

  EXPECT_EQ(driver().CommandBracketOn, 0x0F0E0D0Cu);
  EXPECT_EQ(driver().DataWrapperOn, 0x13121110u);
  EXPECT_EQ(driver().BlankPageValue, 0x17161514u);
  EXPECT_EQ(driver().TypeCommandOn, 0x1B1A1918u);
  EXPECT_EQ(driver().JobInfoFlags, 0x1D1Cu);  // bytes 30 and 31 are not read
  EXPECT_EQ(driver().PacketTagOn, 0x23222120u);
  EXPECT_EQ(driver().PacketTagFirst, 0x27262524u);
  EXPECT_EQ(driver().PacketTagSecond, 0x2B2A2928u);
  EXPECT_EQ(driver().AltMode, 0x33323130u);  // bytes 44 to 47 are not used
  EXPECT_EQ(driver().TypeCommandDefault, 0x34u);
  EXPECT_EQ(driver().NameSelectFlags, 0x3938u);
  EXPECT_EQ(driver().NameSelectA, 0x3F3E3D3Cu);
  EXPECT_EQ(driver().NameSelectB, 0x43424140u);
  EXPECT_EQ(driver().NameSelectMask, 0x47464544u);
  // Both name fields are full: all 32 bytes, and the 33rd stays the terminator.
  EXPECT_EQ(FieldText(driver().JobUserName, 33),
            std::string("HIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefg") + '\0');
  EXPECT_EQ(FieldText(driver().JobTitle, 33),
            "hijklmnopqrstuvwxyz{|}~\x7F\x80\x81\x82\x83\x84\x85\x86\x87" + std::string(1, '\0'));
  EXPECT_EQ(driver().AccountingFlags, 0u);
}

TEST_F(JobSettingsRecordTest, SettingsCopyLeavesTheOtherFieldsAlone) {
  driver().AccountingTotal = 5;
  driver().BytesReported = 6;
  driver().WrapperState = 0x4000;
  std::strcpy(driver().DocumentName, "doc");
  ASSERT_TRUE(Write(JobSettingsRecord({.userName = "u", .jobTitle = "t"})).result);
  EXPECT_EQ(driver().PrinterHandle, machine_.printer());
  EXPECT_EQ(driver().SpoolerJobId, machine_.spooler().config().jobId);
  EXPECT_EQ(driver().AccountingTotal, 5u);
  EXPECT_EQ(driver().BytesReported, 6u);
  EXPECT_EQ(driver().WrapperState, 0x4000u);
  EXPECT_STREQ(driver().DocumentName, "doc");
}

TEST_F(JobSettingsRecordTest, AccountingFlagsAreReplacedByEverySettingsCopy) {
  driver().AccountingFlags = 0xF0;
  ASSERT_TRUE(Write(JobSettingsRecord({.commandBracketOn = 0, .userName = "u"})).result);
  EXPECT_EQ(driver().AccountingFlags, 1u);
  driver().AccountingFlags |= 0x10;
  ASSERT_TRUE(Write(JobSettingsRecord({.commandBracketOn = 7, .userName = "u"})).result);
  EXPECT_EQ(driver().AccountingFlags, 0u);
  driver().AccountingFlags = 0xF0;
  ASSERT_TRUE(Write(JobSettingsRecord({.commandBracketOn = 0, .userName = "u"})).result);
  EXPECT_EQ(driver().AccountingFlags, 1u);
}

TEST_F(JobSettingsRecordTest, EmptyNameFieldsKeepTheEarlierNames) {
  ASSERT_TRUE(
      Write(JobSettingsRecord({.dataWrapperOn = 1, .userName = "alice", .jobTitle = "Report"}))
          .result);
  const Written result = Write(JobSettingsRecord({.dataWrapperOn = 0}));
  EXPECT_TRUE(result.result);
  EXPECT_EQ(result.written, 136u);
  EXPECT_STREQ(driver().JobUserName, "alice");
  EXPECT_STREQ(driver().JobTitle, "Report");
  // The integers are overwritten all the same.
  EXPECT_EQ(driver().DataWrapperOn, 0u);
}

TEST_F(JobSettingsRecordTest, AShorterNameReplacesALongerOneWhole) {
  ASSERT_TRUE(Write(JobSettingsRecord({.userName = "alexandra", .jobTitle = "Long title"})).result);
  ASSERT_TRUE(Write(JobSettingsRecord({.userName = "bo", .jobTitle = "T"})).result);
  EXPECT_EQ(FieldText(driver().JobUserName, 33), "bo" + std::string(31, '\0'));
  EXPECT_EQ(FieldText(driver().JobTitle, 33), "T" + std::string(32, '\0'));
}

TEST_F(JobSettingsRecordTest, EverySettingsCopyTakesAFreshUtcTimeStamp) {
  ScriptedPlatform os;
  os.systemTime = SYSTEMTIME{2024, 3, 5, 8, 9, 10, 11, 120};
  ASSERT_TRUE(Write(JobSettingsRecord({.userName = "u"})).result);
  EXPECT_EQ(driver().SettingsTime.wYear, 2024);
  EXPECT_EQ(driver().SettingsTime.wMinute, 10);
  os.systemTime = SYSTEMTIME{2025, 12, 3, 31, 23, 59, 58, 999};
  ASSERT_TRUE(Write(JobSettingsRecord({.userName = "u"})).result);
  const SYSTEMTIME& time = driver().SettingsTime;
  EXPECT_EQ(std::vector<WORD>({time.wYear, time.wMonth, time.wDayOfWeek, time.wDay, time.wHour,
                               time.wMinute, time.wSecond, time.wMilliseconds}),
            std::vector<WORD>({2025, 12, 3, 31, 23, 59, 58, 999}));
  // Other subcommands take no stamp.
  os.systemTime = SYSTEMTIME{2030, 1, 1, 1, 0, 0, 0, 0};
  ASSERT_TRUE(Write(JobSettingsTextRecord(2, "doc")).result);
  EXPECT_EQ(driver().SettingsTime.wYear, 2025);
}

TEST_F(JobSettingsRecordTest, DocumentNameKeepsAtMost255BytesTerminated) {
  const Record record = JobSettingsTextRecord(2, std::string(300, 'd'));
  const Written result = Write(record);
  EXPECT_TRUE(result.result);
  EXPECT_EQ(result.written, record.size());
  EXPECT_EQ(FieldText(driver().DocumentName, 256), std::string(255, 'd') + '\0');
}

TEST_F(JobSettingsRecordTest, AnEmptyDocumentNameKeepsTheEarlierOne) {
  ASSERT_TRUE(Write(JobSettingsTextRecord(2, "first.doc")).result);
  const Written result = Write(JobSettingsTextRecord(2, ""));
  EXPECT_TRUE(result.result);
  EXPECT_EQ(result.written, 21u);
  EXPECT_STREQ(driver().DocumentName, "first.doc");
}

TEST_F(JobSettingsRecordTest, AShorterDocumentNameLeavesNothingOfTheLongerOne) {
  ASSERT_TRUE(Write(JobSettingsTextRecord(2, std::string(100, 'x'))).result);
  ASSERT_TRUE(Write(JobSettingsTextRecord(2, "ab")).result);
  EXPECT_EQ(FieldText(driver().DocumentName, 256), "ab" + std::string(254, '\0'));
}

TEST_F(JobSettingsRecordTest, SecondJobTitleTakes33BytesWithoutATerminator) {
  ASSERT_TRUE(Write(JobSettingsTextRecord(3, std::string(40, 'a'))).result);
  EXPECT_EQ(FieldText(driver().AltJobTitle, 33), std::string(33, 'a'));
  // The next field is not reached.
  EXPECT_EQ(driver().AltMode, 0u);
  ASSERT_TRUE(Write(JobSettingsTextRecord(3, "Alt")).result);
  EXPECT_EQ(FieldText(driver().AltJobTitle, 33), "Alt" + std::string(30, '\0'));
}

TEST_F(JobSettingsRecordTest, AnEmptySecondJobTitleClearsTheEarlierOne) {
  ASSERT_TRUE(Write(JobSettingsTextRecord(3, "Alt title")).result);
  const Written result = Write(JobSettingsTextRecord(3, ""));
  EXPECT_TRUE(result.result);
  EXPECT_EQ(result.written, 21u);
  EXPECT_EQ(FieldText(driver().AltJobTitle, 33), std::string(33, '\0'));
}

TEST_F(JobSettingsRecordTest, OtherSubcommandsAreAcceptedWithTheCountUntouched) {
  ASSERT_TRUE(Write(JobSettingsRecord({.userName = "u", .jobTitle = "t"})).result);
  const std::vector<BYTE> before = Snapshot();
  for (DWORD subcommand : {0u, 4u, 5u, 0xFFFFFFFFu}) {
    const Written result = Write(OffsetPatternRecord(0x1000, subcommand), 4321);
    EXPECT_TRUE(result.result) << subcommand;
    EXPECT_EQ(result.written, 4321u) << subcommand;
  }
  EXPECT_EQ(Snapshot(), before);
  EXPECT_EQ(machine_.PortBytes(), "");
}

// Ids with the driver bit that no subsystem owns come here and are accepted untouched, even
// when shaped like a settings copy.
class UnownedDriverRecordTest : public JobSettingsRecordTest,
                                public ::testing::WithParamInterface<DWORD> {};

TEST_P(UnownedDriverRecordTest, IsAcceptedAndIgnored) {
  const std::vector<BYTE> before = Snapshot();
  const Written result = Write(OffsetPatternRecord(GetParam()), 77);
  EXPECT_TRUE(result.result);
  EXPECT_EQ(result.written, 77u);
  EXPECT_EQ(Snapshot(), before);
  // Too short for anything but its id.
  const Written shortResult = Write(Record(GetParam()), 78);
  EXPECT_TRUE(shortResult.result);
  EXPECT_EQ(shortResult.written, 78u);
}

INSTANTIATE_TEST_SUITE_P(Ids, UnownedDriverRecordTest,
                         ::testing::Values(0x1002u, 0x100Fu, 0x1016u, 0x102Fu, 0x1034u, 0x104Fu,
                                           0x1051u, 0x106Fu, 0x1076u, 0x1FFFu, 0x3000u,
                                           0xFFFFFFFFu));

struct ShortCase {
  const char* name;
  std::string bytes;  // the whole record
};

void PrintTo(const ShortCase& c, std::ostream* os) { *os << c.name; }

class ShortJobSettingsRecordTest : public JobSettingsRecordTest,
                                   public ::testing::WithParamInterface<ShortCase> {};

TEST_P(ShortJobSettingsRecordTest, FailsWithNothingWrittenAndNothingChanged) {
  ASSERT_TRUE(Write(JobSettingsRecord({.userName = "u", .jobTitle = "t"})).result);
  ASSERT_TRUE(Write(JobSettingsTextRecord(2, "doc")).result);
  ASSERT_TRUE(Write(JobSettingsTextRecord(3, "alt")).result);
  const std::vector<BYTE> before = Snapshot();
  std::string bytes = GetParam().bytes;
  DWORD written = 99;
  EXPECT_FALSE(
      DrvSplWritePrinter(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written));
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(Snapshot(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShortJobSettingsRecordTest,
    ::testing::Values(
        ShortCase{"NoSubcommand", Record(0x1000).bytes()},
        ShortCase{"PartOfASubcommand", Record(0x1000).bytes() + std::string("\1\0\0", 3)},
        ShortCase{"SettingsCopyOneByteShort", OffsetPatternRecord().bytes().substr(0, 135)},
        ShortCase{"SettingsCopyWithoutNames", OffsetPatternRecord().bytes().substr(0, 72)},
        ShortCase{"DocumentNameWithoutText", Record(0x1000).U32(2).PadTo(20).bytes()},
        ShortCase{"DocumentNameUnterminated", Record(0x1000).U32(2).PadTo(20).Bytes("abc").bytes()},
        ShortCase{"SecondTitleUnterminated",
                  Record(0x1000).U32(3).PadTo(20).Bytes(std::string(40, 'z')).bytes()}),
    [](const ::testing::TestParamInfo<ShortCase>& info) { return info.param.name; });

}  // namespace
}  // namespace spoolhook::testing
