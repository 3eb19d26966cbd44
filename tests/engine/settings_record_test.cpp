#include <gtest/gtest.h>

#include <cstring>

#include "support/job_fixture.h"

namespace spoolhook::testing {
namespace {

using SettingsRecordTest = JobTest;

TEST_F(SettingsRecordTest, AccountingPathTakesAtMost259Bytes) {
  const std::string data(400, 'a');
  const Record record = SettingsRecord(1, 400, data);
  const Written result = Write(record);
  EXPECT_TRUE(result.result);
  EXPECT_EQ(result.written, record.size());
  EXPECT_EQ(std::string(job()->AccountingPath), std::string(259, 'a'));
  EXPECT_EQ(job()->AccountingPath[259], '\0');
}

TEST_F(SettingsRecordTest, AShorterAccountingPathReplacesALongerOne) {
  ASSERT_TRUE(Write(SettingsRecord(1, 12, std::string("C:\\ACCT\\LONG", 12))).result);
  ASSERT_TRUE(Write(SettingsRecord(1, 4, std::string("C:\\A", 4))).result);
  EXPECT_STREQ(job()->AccountingPath, "C:\\A");
}

TEST_F(SettingsRecordTest, DataReachingPastTheRecordFailAndChangeNothing) {
  ASSERT_TRUE(Write(SettingsRecord(1, 6, std::string("C:\\OK\0", 6))).result);
  ASSERT_TRUE(Write(SettingsRecord(4, 6, std::string("a\0b\0\0\0", 6))).result);
  const char16_t* userName = job()->UserName;
  for (DWORD subcommand : {1u, 4u}) {
    const Written result = Write(SettingsRecord(subcommand, 50, "short data"));
    EXPECT_FALSE(result.result) << subcommand;
    EXPECT_EQ(result.written, 0u) << subcommand;
  }
  EXPECT_STREQ(job()->AccountingPath, "C:\\OK");
  EXPECT_EQ(job()->UserName, userName);
  EXPECT_EQ(std::u16string(job()->UserName), u"ab");
}

TEST_F(SettingsRecordTest, ARecordShorterThanItsHeaderFails) {
  const Record full = SettingsRecord(2, OUTPUT_CAPTURE);
  for (DWORD size : {8u, 12u, 16u, 19u}) {
    std::string bytes = full.bytes().substr(0, size);
    DWORD written = 99;
    EXPECT_FALSE(DrvSplWritePrinter(handle_, bytes.data(), size, &written)) << size;
    EXPECT_EQ(written, 0u) << size;
  }
  EXPECT_EQ(job()->OutputMode, OUTPUT_PRINTER);
}

TEST_F(SettingsRecordTest, OutputModeThreeSendsToPrinterAndCaptureOnceThePathIsKnown) {
  ASSERT_TRUE(Write(SettingsRecord(2, 3)).result);
  EXPECT_EQ(job()->OutputMode, 3u);
  EXPECT_EQ(job()->CaptureFile, INVALID_HANDLE_VALUE);
  const std::string path = machine_.Folder() + "BOTH.PRN";
  ASSERT_TRUE(Write(CapturePathRecord(Wide(path))).result);
  ASSERT_TRUE(Write(RawDataRecord("to both")).result);
  DrvSplEndDoc(handle_);
  EXPECT_EQ(machine_.PortBytes(), "to both");
  EXPECT_EQ(machine_.ReadFileBytes(path), "to both");
}

TEST_F(SettingsRecordTest, TheCaptureFileOpensWhenThePathComesFirst) {
  const std::string path = machine_.Folder() + "FIRST.PRN";
  ASSERT_TRUE(Write(CapturePathRecord(Wide(path))).result);
  EXPECT_EQ(job()->CaptureFile, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(Write(SettingsRecord(2, OUTPUT_CAPTURE)).result);
  EXPECT_NE(job()->CaptureFile, INVALID_HANDLE_VALUE);
}

struct IgnoredCase {
  const char* name;
  std::uint32_t format;
  std::uint32_t subcommand;
  std::int32_t value;
};

class IgnoredSettingsTest : public JobTest, public ::testing::WithParamInterface<IgnoredCase> {};

TEST_P(IgnoredSettingsTest, IsConsumedWithoutEffect) {
  const IgnoredCase& c = GetParam();
  const Record record = SettingsRecord(c.subcommand, c.value, std::string(8, 'z'), c.format);
  const Written result = Write(record);
  EXPECT_TRUE(result.result);
  EXPECT_EQ(result.written, record.size());
  EXPECT_EQ(job()->OutputMode, OUTPUT_PRINTER);
  EXPECT_STREQ(job()->AccountingPath, "");
  EXPECT_EQ(job()->UserName, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IgnoredSettingsTest,
    ::testing::Values(IgnoredCase{"ZeroMode", 30, 2, 0}, IgnoredCase{"NegativeMode", 30, 2, -3},
                      IgnoredCase{"ZeroLength", 30, 1, 0}, IgnoredCase{"NegativeLength", 30, 4, -8},
                      IgnoredCase{"WrongFormat", 31, 2, 3},
                      IgnoredCase{"UnlistedSubcommand", 30, 5, 8},
                      IgnoredCase{"UnusedData", 30, 3, 8}),
    [](const ::testing::TestParamInfo<IgnoredCase>& info) { return info.param.name; });

TEST_F(SettingsRecordTest, UserNameIsKeptWithATerminatorOfItsOwn) {
  // Three UTF-16 units without a terminator in the data.
  ASSERT_TRUE(Write(SettingsRecord(4, 6, std::string("A\0n\0n\0", 6))).result);
  ASSERT_NE(job()->UserName, nullptr);
  EXPECT_EQ(std::u16string(job()->UserName), u"Ann");
  ASSERT_TRUE(Write(SettingsRecord(4, 4, std::string("B\0\0\0", 4))).result);
  EXPECT_EQ(std::u16string(job()->UserName), u"B");
}

}  // namespace
}  // namespace spoolhook::testing
