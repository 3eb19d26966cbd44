// What the sample plug-in answers at the start of a job reaching the printer: its text in
// the PJL job-name lines and the account packets, its number in the account-number packet,
// its job handle in the job identifier and the word it leaves in the start block in the
// plug-in value packet.
#include <string>
#include <utility>
#include <vector>

#include "accounting/accounting_fixture.h"
#include "jobinfo/packet_bytes.h"
#include "jobinfo/scripted_platform.h"
#include "support/job_settings_records.h"

namespace spoolhook::testing {
namespace {

// The job identifier packet for job 1 of the machine \\WS01, printed on PRINTSRV, with the
// plug-in's job handle as `handleDigits`.
std::string Identifier(const std::string& handleDigits) {
  return Attribute("00 42", Hex("01 18 8B F2 3A 27 2E 1E 44 D4 B2 1F 57 32 97 D7 93 AB") +
                                handleDigits + std::string(8 - handleDigits.size(), '\0') + "1" +
                                std::string(7, '\0') + "\\\\WS01" + std::string(10, '\0') +
                                "PRINTSRV" + std::string(8, '\0'));
}

std::string PluginValue(const std::string& value) {
  return Attribute("00 06", Hex("00 C5 " + value));
}

Record StepRecord(std::uint32_t step) { return Record(0x1014).U32(step); }

class PluginAnswerTest : public AccountingTest {
 protected:
  void SetUp() override {
    AccountingTest::SetUp();
    scripted_.computer = u"PRINTSRV";
  }

  // The bytes that one record adds to the port; the record must succeed.
  std::string Sent(const Record& record) {
    const std::size_t before = machine_.PortBytes().size();
    EXPECT_TRUE(Write(record).result);
    return machine_.PortBytes().substr(before);
  }

  ScriptedPlatform scripted_;
};

struct AnswerCase {
  const char* name;
  bool installed;
  std::vector<std::pair<const char*, std::string>> environment;
  std::uint16_t jobInfoFlags;
  bool textFamily;      // started by 0x1073 instead of 0x1070
  std::string account;  // between the quotes of both PJL lines
  std::string step3, step4, step5, step7;
};

const std::string kDigits90 =
    "123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890";

const AnswerCase kAnswerCases[] = {
    {"TextHandleAndValue",
     true,
     {{"ACCOUNTING_SAMPLE_TEXT", "PROJ-77"},
      {"ACCOUNTING_SAMPLE_NUMBER", "1234"},
      {"ACCOUNTING_SAMPLE_HANDLE", "305419896"},
      {"ACCOUNTING_SAMPLE_VALUE", "7"}},
     0x10,
     false,
     "PROJ-77",
     Attribute("00 0A", Hex("00 08 07") + "PROJ-77"),
     Attribute("00 0C", Hex("00 0A 00 03 07") + "PROJ-77"),
     Attribute("00 0C", Hex("00 0B 00 03 07") + "PROJ-77"),
     Identifier("12345678") + PluginValue("00 00 00 07")},
    // Flag 0x08 sends the number in place of the text, 0x04 drops the second account text.
    {"NumberInPlaceOfTheText",
     true,
     {{"ACCOUNTING_SAMPLE_TEXT", "PROJ-77"},
      {"ACCOUNTING_SAMPLE_NUMBER", "1234"},
      {"ACCOUNTING_SAMPLE_HANDLE", "305419896"},
      {"ACCOUNTING_SAMPLE_VALUE", "7"}},
     0x1C,
     true,
     "PROJ-77",
     Attribute("00 0A", Hex("00 08 07") + "PROJ-77"),
     Attribute("00 06", Hex("00 12 00 00 04 D2")),
     "",
     Identifier("12345678") + PluginValue("00 00 00 07")},
    // The sample leaves the start block's word at 100 as the library made it.
    {"TheSamplesDefaults",
     true,
     {},
     0x10,
     false,
     "ACCT-0001",
     Attribute("00 0C", Hex("00 08 09") + "ACCT-0001"),
     Attribute("00 0E", Hex("00 0A 00 03 09") + "ACCT-0001"),
     Attribute("00 0E", Hex("00 0B 00 03 09") + "ACCT-0001"),
     Identifier("beef") + PluginValue("FF FF FF FF")},
    // The sample cuts its text to 79 bytes; the short account packet takes 40 of them. A
    // plug-in value of 0 sends no value packet.
    {"ALongTextAndNoValue",
     true,
     {{"ACCOUNTING_SAMPLE_TEXT", kDigits90},
      {"ACCOUNTING_SAMPLE_HANDLE", "0"},
      {"ACCOUNTING_SAMPLE_VALUE", "0"}},
     0x10,
     false,
     kDigits90.substr(0, 79),
     Attribute("00 2B", Hex("00 08 28") + kDigits90.substr(0, 40)),
     Attribute("00 54", Hex("00 0A 00 03 4F") + kDigits90.substr(0, 79)),
     Attribute("00 54", Hex("00 0B 00 03 4F") + kDigits90.substr(0, 79)),
     Identifier("0")},
    // A double quote goes out as it is; without flag 0x10 step 7 sends the value alone.
    {"AQuoteInTheText",
     true,
     {{"ACCOUNTING_SAMPLE_TEXT", "Dept \"7\""}},
     0,
     true,
     "Dept \"7\"",
     Attribute("00 0B", Hex("00 08 08") + "Dept \"7\""),
     Attribute("00 0D", Hex("00 0A 00 03 08") + "Dept \"7\""),
     Attribute("00 0D", Hex("00 0B 00 03 08") + "Dept \"7\""),
     PluginValue("FF FF FF FF")},
    {"NoPlugin",
     false,
     {{"ACCOUNTING_SAMPLE_TEXT", "PROJ-77"}},
     0x10,
     false,
     "",
     Attribute("00 03", Hex("00 08 00")),
     "",
     "",
     Identifier("0")},
};

class PluginAnswerCaseTest : public PluginAnswerTest,
                             public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(PluginAnswerCaseTest, TheAnswersGoOutInThePacketsAndLines) {
  const AnswerCase& c = GetParam();
  if (c.installed) InstallPlugin();
  for (const auto& [name, value] : c.environment) SetEnvironment(name, value);
  ASSERT_TRUE(Write(JobSettingsRecord({.jobInfoFlags = c.jobInfoFlags})).result);
  ASSERT_TRUE(Write(c.textFamily ? TextJobStartRecord() : JobStartRecord()).result);
  EXPECT_EQ(LogLines().size(), c.installed ? 1u : 0u);

  EXPECT_EQ(Sent(Record(0x1032)), "@PJL JOB NAME = \"" + c.account + "\"\r\n");
  EXPECT_EQ(Sent(StepRecord(3)), c.step3);
  EXPECT_EQ(Sent(StepRecord(4)), c.step4);
  EXPECT_EQ(Sent(StepRecord(5)), c.step5);
  EXPECT_EQ(Sent(StepRecord(7)), c.step7);
  EXPECT_EQ(Sent(Record(0x1033)), "@PJL EOJ NAME = \"" + c.account + "\"\r\n");
}

INSTANTIATE_TEST_SUITE_P(Answers, PluginAnswerCaseTest, ::testing::ValuesIn(kAnswerCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The end record unloads the plug-in, but its answers stay with the job: the end-of-job line
// and a late identifier still carry them.
TEST_F(PluginAnswerTest, TheAnswersOutliveTheEndRecord) {
  InstallPlugin();
  SetEnvironment("ACCOUNTING_SAMPLE_TEXT", "PROJ-77");
  SetEnvironment("ACCOUNTING_SAMPLE_VALUE", "7");
  ASSERT_TRUE(Write(JobSettingsRecord({.jobInfoFlags = 0x10})).result);
  ASSERT_TRUE(Write(JobStartRecord()).result);
  ASSERT_TRUE(Write(JobEndRecord()).result);
  EXPECT_EQ(driver().PluginInterface, nullptr);
  EXPECT_EQ(Sent(Record(0x1033)), "@PJL EOJ NAME = \"PROJ-77\"\r\n");
  EXPECT_EQ(Sent(StepRecord(7)), Identifier("beef") + PluginValue("00 00 00 07"));
}

// A later start replaces every answer, also with a word the plug-in no longer sets.
TEST_F(PluginAnswerTest, ALaterStartReplacesTheAnswers) {
  InstallPlugin();
  SetEnvironment("ACCOUNTING_SAMPLE_TEXT", "FIRST");
  SetEnvironment("ACCOUNTING_SAMPLE_VALUE", "7");
  ASSERT_TRUE(Write(JobSettingsRecord({.jobInfoFlags = 0x10})).result);
  ASSERT_TRUE(Write(JobStartRecord()).result);
  SetEnvironment("ACCOUNTING_SAMPLE_TEXT", "SECOND");
  SetEnvironment("ACCOUNTING_SAMPLE_HANDLE", "2882400001");
  ClearEnvironment("ACCOUNTING_SAMPLE_VALUE");
  ASSERT_TRUE(Write(JobStartRecord()).result);
  EXPECT_EQ(Sent(Record(0x1032)), "@PJL JOB NAME = \"SECOND\"\r\n");
  EXPECT_EQ(Sent(StepRecord(7)), Identifier("abcdef01") + PluginValue("FF FF FF FF"));
}

}  // namespace
}  // namespace spoolhook::testing
