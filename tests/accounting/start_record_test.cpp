// The start records 0x1070 and 0x1073: the start block as the plug-in receives it, and what
// the plug-in answers kept in the DriverBlock.
#include <cstring>

#include "accounting/accounting_fixture.h"

namespace spoolhook::testing {
namespace {

constexpr char kUserName[] = "abcdefghijklmnopqrstuvwx";       // 24 bytes: 20 are handed on
constexpr char kTitle[] = "Quarterly report for the board!!";  // 32 bytes, the most it holds

class StartRecordTest : public AccountingTest {
 protected:
  void SetUp() override {
    AccountingTest::SetUp();
    DriverBlock& d = driver();
    d.SpoolerJobId = 0x01020304;
    std::strcpy(d.JobUserName, kUserName);
    std::strcpy(d.JobTitle, kTitle);
    std::strcpy(d.DocumentName, "report.doc");
    d.SettingsTime = {2024, 5, 4, 16, 13, 45, 30, 250};
  }

  // The fields both families' start blocks share, for this job.
  static ByteBlock StartHead(std::size_t size) {
    ByteBlock block(size);
    block.U32(0, std::uint32_t(size))
        .U32(4, 0x20000)
        .U32(8, 0x01020304)
        .Text(12, "abcdefghijklmnopqrst")
        .Hex(72, "e807 0500 0400 1000 0d00 2d00 1e00 fa00")
        .U32(96, 0xFFFFFFFF)
        .U32(100, 0xFFFFFFFF);
    return block;
  }
  static ByteBlock TextStartHead(std::size_t size, std::uint32_t textCount) {
    ByteBlock block = StartHead(size);
    block.Text(36, kTitle).U8(88, 1).U32(92, 0x44).U32(104, 2).U32(428, textCount);
    return block;
  }

  // The plug-in's answer is kept: its handle, text and number, and the start block's word
  // at 100 as the plug-in left it.
  void ExpectAnswer(std::uint32_t handle, const char* text, std::uint32_t number,
                    std::uint32_t value) {
    EXPECT_EQ(driver().PluginJobHandle, handle);
    EXPECT_EQ(std::string(driver().AccountText, sizeof driver().AccountText),
              std::string(text) + std::string(80 - std::strlen(text), '\0'));
    EXPECT_EQ(driver().AccountNumber, number);
    EXPECT_EQ(driver().PluginJobValue, value);
  }

  void PresetAnswer() {
    driver().PluginJobHandle = 5;
    std::strcpy(driver().AccountText, "OLD");
    driver().AccountNumber = 6;
    driver().PluginJobValue = 7;
  }
};

TEST_F(StartRecordTest, JobStartHandsTheFirstFamilysBlockAndKeepsTheAnswer) {
  InstallPlugin();
  SetEnvironment("ACCOUNTING_SAMPLE_TEXT", "PROJ-77");
  SetEnvironment("ACCOUNTING_SAMPLE_NUMBER", "1234");
  SetEnvironment("ACCOUNTING_SAMPLE_HANDLE", "305419896");
  SetEnvironment("ACCOUNTING_SAMPLE_VALUE", "7");
  const Written result = Write(JobStartRecord());
  EXPECT_EQ(result.result, TRUE);
  EXPECT_EQ(result.written, 72u);

  ByteBlock start = StartHead(568);
  start.Text(36, "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345")
      .U32(92, 0x11)
      .U32(104, 0x22)
      .Text(108, "report.doc")
      .U32(388, 0x33)
      .Text(392, kTitle);
  EXPECT_EQ(LogLines(), std::vector<std::string>{StartLine(start)});
  ExpectAnswer(0x12345678, "PROJ-77", 1234, 7);
  EXPECT_NE(driver().PluginInterface, nullptr);
}

TEST_F(StartRecordTest, TheSamplesDefaultAnswer) {
  InstallPlugin();
  ASSERT_TRUE(Write(JobStartRecord()).result);
  // The start block's word at 100 as the library made it.
  ExpectAnswer(48879, "ACCT-0001", 1, 0xFFFFFFFF);
}

TEST_F(StartRecordTest, TextJobStartCutsEachTextEntry) {
  InstallPlugin();
  const std::string digits100 =
      "0123456789012345678901234567890123456789012345678901234567890123456789"
      "012345678901234567890123456789";
  // Item 0: a first text of 100 characters, which also fills the second text's place from
  // item byte 89. Item 1: a second text of 50 characters running past the item.
  const Record record =
      RecordOf(ByteBlock(296)
                   .U32(0, 0x1073)
                   .U32(12, 0xAAAA)
                   .U32(16, 0xBBBB)
                   .U32(20, 0x44)
                   .U32(24, 2)
                   .Text(28, digits100)
                   .Text(156, "Cost centre 4711")
                   .Text(245, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWX"));
  const Written result = Write(record);
  EXPECT_EQ(result.result, TRUE);
  EXPECT_EQ(result.written, 296u);

  ByteBlock start = TextStartHead(432 + 2 * 136, 2);
  start
      .Text(432,
            "0123456789012345678901234567890123456789012345678901234567890123456789"
            "012345678901234")
      .Text(432 + 88, "90123456789")
      .Text(568, "Cost centre 4711")
      .Text(568 + 88, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRS");
  EXPECT_EQ(LogLines(), std::vector<std::string>{StartLine(start)});
  ExpectAnswer(48879, "ACCT-0001", 1, 0xFFFFFFFF);
}

TEST_F(StartRecordTest, ATextThatRunsToTheRecordsEndEndsThere) {
  InstallPlugin();
  // One item, the record ending 39 bytes into its second text.
  const Record record = RecordOf(ByteBlock(156)
                                     .U32(0, 0x1073)
                                     .U32(20, 0x44)
                                     .U32(24, 1)
                                     .Text(28, "Project")
                                     .Text(117, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLM"));
  ASSERT_TRUE(Write(record).result);
  ByteBlock start = TextStartHead(568, 1);
  start.Text(432, "Project").Text(432 + 88, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLM");
  EXPECT_EQ(LogLines(), std::vector<std::string>{StartLine(start)});
}

TEST_F(StartRecordTest, TextJobStartWithoutTextsHandsTheBareBlock) {
  InstallPlugin();
  const Written result = Write(TextJobStartRecord());
  EXPECT_EQ(result.result, TRUE);
  EXPECT_EQ(result.written, 28u);
  EXPECT_EQ(LogLines(), std::vector<std::string>{StartLine(TextStartHead(432, 0))});
}

TEST_F(StartRecordTest, ATextCountTheRecordCannotHoldIsRefused) {
  InstallPlugin();
  PresetAnswer();
  const Record records[] = {
      RecordOf(ByteBlock(156 + 127).U32(0, 0x1073).U32(24, 2)),  // one byte short of item 1
      RecordOf(ByteBlock(28).U32(0, 0x1073).U32(24, 0x02000000)),
      RecordOf(ByteBlock(28).U32(0, 0x1073).U32(24, 0xFFFFFFFF)),
  };
  for (const Record& record : records) {
    const Written result = Write(record);
    EXPECT_EQ(result.result, FALSE);
    EXPECT_EQ(result.written, 0u);
  }
  EXPECT_EQ(Calls("LoadLibraryW"), 0u);
  EXPECT_EQ(driver().PluginInterface, nullptr);
  ExpectAnswer(5, "OLD", 6, 7);
}

TEST_F(StartRecordTest, WithoutAPluginTheFirstFamilySucceedsAndTheSecondFails) {
  PresetAnswer();
  const Written first = Write(JobStartRecord());
  EXPECT_EQ(first.result, TRUE);
  EXPECT_EQ(first.written, 72u);
  const Written second = Write(TextJobStartRecord());
  EXPECT_EQ(second.result, FALSE);
  EXPECT_EQ(second.written, 28u);
  EXPECT_EQ(Calls("LoadLibraryW"), 2u);
  EXPECT_EQ(driver().PluginInterface, nullptr);
  ExpectAnswer(5, "OLD", 6, 7);
}

TEST_F(StartRecordTest, TheFirstFamilyLoadsAFreshPluginReleasingTheHeldOne) {
  InstallPlugin();
  ASSERT_TRUE(Write(JobStartRecord()).result);
  SetEnvironment("ACCOUNTING_SAMPLE_HANDLE", "2");
  ASSERT_TRUE(Write(JobStartRecord()).result);
  EXPECT_EQ(Calls("LoadLibraryW"), 2u);
  EXPECT_EQ(Calls("FreeLibrary"), 1u);
  EXPECT_EQ(LogLines().size(), 2u);
  EXPECT_EQ(driver().PluginJobHandle, 2u);
}

TEST_F(StartRecordTest, TheSecondFamilyReusesTheHeldPlugin) {
  InstallPlugin();
  ASSERT_TRUE(Write(JobStartRecord()).result);
  SetEnvironment("ACCOUNTING_SAMPLE_HANDLE", "3");
  ASSERT_TRUE(Write(TextJobStartRecord()).result);
  ASSERT_TRUE(Write(TextJobStartRecord()).result);
  EXPECT_EQ(Calls("LoadLibraryW"), 1u);
  EXPECT_EQ(Calls("FreeLibrary"), 0u);
  EXPECT_EQ(LogLines().size(), 3u);
  EXPECT_EQ(driver().PluginJobHandle, 3u);
}

}  // namespace
}  // namespace spoolhook::testing
