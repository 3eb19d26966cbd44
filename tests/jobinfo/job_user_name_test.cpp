#include "jobinfo/job_user_name.h"

#include <gtest/gtest.h>

#include <optional>

#include "engine/exports.h"
#include "jobinfo/driver_block.h"
#include "jobinfo/scripted_platform.h"
#include "support/job_settings_records.h"
#include "support/test_machine.h"

namespace spoolhook::testing {
namespace {

// A job on a machine whose spooler the test configures, with the heap blocks counted from
// before the job started.
class ConfiguredJob {
 public:
  explicit ConfiguredJob(SimulatedSpoolerConfig config = {}) : machine_(std::move(config)) {
    heapBefore_ = machine_.HeapBlockCount();
    handle_ = DrvSplStartDoc(machine_.printer(), machine_.spooler().config().jobId);
  }
  ~ConfiguredJob() { Close(); }

  TestMachine& machine() { return machine_; }
  JobContext* job() { return static_cast<JobContext*>(handle_); }
  DriverBlock& driver() { return *GetDriverBlock(job()); }

  // A settings copy with an empty user-name field, which asks for the lookup.
  BOOL WriteSettings(const JobSettings& settings = {}) {
    return Write(JobSettingsRecord(settings));
  }
  BOOL Write(const Record& record) {
    std::string bytes = record.bytes();
    DWORD written = 0;
    return DrvSplWritePrinter(handle_, bytes.data(), record.size(), &written);
  }

  // Ends the job; true when it left no heap block behind (or the platform cannot tell).
  bool CloseWithoutLeaks() {
    Close();
    return heapBefore_ < 0 || machine_.HeapBlockCount() == heapBefore_;
  }

 private:
  void Close() {
    if (handle_) DrvSplClose(handle_);
    handle_ = nullptr;
  }

  TestMachine machine_;
  long heapBefore_ = -1;
  HANDLE handle_ = nullptr;
};

SimulatedSpoolerConfig Spooler(const std::u16string& user, std::optional<WORD> year = {}) {
  SimulatedSpoolerConfig config;
  config.jobUser = user;
  config.jobYear = year;
  return config;
}

constexpr char16_t kAccount[] = u"acct";

struct UserNameCase {
  const char* name;
  SimulatedSpoolerConfig spooler;
  bool namesMissing;        // as Wine's spooler gives the job
  std::u16string userName;  // kept in the job's UserName
  std::string jobUserName;  // the DriverBlock's, at most 32 bytes
};

void PrintTo(const UserNameCase& c, std::ostream* os) { *os << c.name; }

class UserNameLookupTest : public ::testing::TestWithParam<UserNameCase> {};

TEST_P(UserNameLookupTest, ChoosesTheNameAndFreesWhatItUsed) {
  const UserNameCase& c = GetParam();
  ConfiguredJob job(c.spooler);
  ScriptedPlatform os;
  os.account = kAccount;
  os.jobNamesMissing = c.namesMissing;
  ASSERT_TRUE(job.WriteSettings());
  ASSERT_NE(job.job()->UserName, nullptr);
  EXPECT_EQ(std::u16string(job.job()->UserName), c.userName);
  EXPECT_EQ(std::string(job.driver().JobUserName, 33),
            c.jobUserName + std::string(33 - c.jobUserName.size(), '\0'));
  EXPECT_TRUE(job.CloseWithoutLeaks());
}

SimulatedSpoolerConfig NoJobInfo() {
  SimulatedSpoolerConfig config;
  config.jobInfoAvailable = false;
  return config;
}

const std::u16string kFortyUnits = u"abcdefghijABCDEFGHIJ0123456789klmnopqrst";

INSTANTIATE_TEST_SUITE_P(
    Cases, UserNameLookupTest,
    ::testing::Values(
        UserNameCase{"SpoolerName", Spooler(u"alice"), false, u"alice", "alice"},
        UserNameCase{"UnknownBefore1900", Spooler(u"UNKNOWN", 1899), false, kAccount, "acct"},
        UserNameCase{"UnknownIn1900", Spooler(u"UNKNOWN", 1900), false, u"UNKNOWN", "UNKNOWN"},
        UserNameCase{"LowerCaseUnknownBefore1900", Spooler(u"unknown", 1899), false, u"unknown",
                     "unknown"},
        UserNameCase{"OtherNameBefore1900", Spooler(u"alice", 1601), false, u"alice", "alice"},
        UserNameCase{"EmptySpoolerName", Spooler(u""), false, kAccount, "acct"},
        UserNameCase{"MissingSpoolerName", Spooler(u"alice"), true, kAccount, "acct"},
        UserNameCase{"NoJobInformation", NoJobInfo(), false, kAccount, "acct"},
        UserNameCase{"FortyCharacters", Spooler(kFortyUnits), false, kFortyUnits,
                     "abcdefghijABCDEFGHIJ0123456789kl"}),
    [](const ::testing::TestParamInfo<UserNameCase>& info) { return info.param.name; });

TEST(UserNameFallbackTest, TheAccountNameIsCutTo32Bytes) {
  ConfiguredJob job(NoJobInfo());
  ScriptedPlatform os;
  os.account = kFortyUnits;
  ASSERT_TRUE(job.WriteSettings());
  EXPECT_EQ(std::u16string(job.job()->UserName), kFortyUnits);
  EXPECT_STREQ(job.driver().JobUserName, "abcdefghijABCDEFGHIJ0123456789kl");
}

// 31 single-byte characters and 9 double-byte ones: 49 ANSI bytes, more than the name's 40
// units, are converted whole; the 32nd byte is the first half of a double-byte character and
// is kept without its second half.
TEST(UserNameFallbackTest, ADoubleByteCharacterOnThe32ndByteIsCutInTwo) {
  const std::u16string name = std::u16string(31, u'a') + std::u16string(9, u'\u3042');
  ConfiguredJob job(Spooler(name));
  ScriptedPlatform os;
  os.doubleByteAnsi = true;
  ASSERT_TRUE(job.WriteSettings());
  EXPECT_EQ(std::u16string(job.job()->UserName), name);
  EXPECT_EQ(std::string(job.driver().JobUserName, 33),
            std::string(31, 'a') + "\x82" + std::string(1, '\0'));
  EXPECT_TRUE(job.CloseWithoutLeaks());
}

TEST(UserNameFallbackTest, TheAccountNameIsThatOfTheCallingAccount) {
  ConfiguredJob job(NoJobInfo());
  char16_t account[257] = {};
  DWORD size = 257;
  ASSERT_TRUE(job.machine().base().GetUserNameW(account, &size));
  ASSERT_TRUE(job.WriteSettings());
  EXPECT_EQ(std::u16string(job.job()->UserName), account);
  EXPECT_EQ(std::string(job.driver().JobUserName), Narrow(account).substr(0, 32));
}

TEST(UserNameFallbackTest, WithoutAnyNameTheFieldStaysEmpty) {
  ConfiguredJob job(NoJobInfo());
  job.machine().faults().FailCall("GetUserNameW");
  ASSERT_TRUE(job.WriteSettings({.userName = "", .jobTitle = "t"}));
  ASSERT_NE(job.job()->UserName, nullptr);
  EXPECT_EQ(std::u16string(job.job()->UserName), u"");
  EXPECT_STREQ(job.driver().JobUserName, "");
  EXPECT_STREQ(job.driver().JobTitle, "t");
}

TEST(UserNameFallbackTest, ASecondGetJobThatFailsFallsBackToTheAccount) {
  ConfiguredJob job(Spooler(u"alice"));
  ScriptedPlatform os;
  os.account = kAccount;
  job.machine().faults().FailCall("GetJobW", 2);
  ASSERT_TRUE(job.WriteSettings());
  EXPECT_STREQ(job.driver().JobUserName, "acct");
  EXPECT_TRUE(job.CloseWithoutLeaks());
}

TEST(UserNameFallbackTest, WithoutMemoryTheSettingsStillArriveAndALaterCopyLooksAgain) {
  ConfiguredJob job(Spooler(u"alice"));
  job.machine().faults().FailCall("HeapAlloc");
  ASSERT_TRUE(job.WriteSettings({.dataWrapperOn = 1}));
  job.machine().faults().Reset();
  EXPECT_EQ(job.driver().DataWrapperOn, 1u);
  EXPECT_STREQ(job.driver().JobUserName, "");
  EXPECT_EQ(job.job()->UserName, nullptr);
  ASSERT_TRUE(job.WriteSettings());
  EXPECT_STREQ(job.driver().JobUserName, "alice");
  EXPECT_TRUE(job.CloseWithoutLeaks());
}

TEST(UserNameFallbackTest, ANameThatCannotBeConvertedLeavesTheFieldEmpty) {
  ConfiguredJob job(Spooler(u"alice"));
  job.machine().faults().FailCall("WideCharToMultiByte");
  ASSERT_TRUE(job.WriteSettings());
  EXPECT_STREQ(job.driver().JobUserName, "");
  EXPECT_EQ(std::u16string(job.job()->UserName), u"alice");
  EXPECT_TRUE(job.CloseWithoutLeaks());
}

TEST(UserNameSourceTest, TheEngineSettingsNameComesFirst) {
  ConfiguredJob job(Spooler(u"alice"));
  ASSERT_TRUE(job.Write(SettingsRecord(4, 8, std::string("b\0o\0b\0\0\0", 8))));
  ASSERT_TRUE(job.WriteSettings());
  EXPECT_STREQ(job.driver().JobUserName, "bob");
  EXPECT_EQ(job.machine().faults().CallCount("GetJobW"), 0u);
}

TEST(UserNameSourceTest, ANameInTheRecordNeedsNoLookup) {
  ConfiguredJob job(Spooler(u"alice"));
  ASSERT_TRUE(job.WriteSettings({.userName = "carol"}));
  EXPECT_STREQ(job.driver().JobUserName, "carol");
  EXPECT_EQ(job.job()->UserName, nullptr);
  EXPECT_EQ(job.machine().faults().CallCount("GetJobW"), 0u);
}

TEST(UserNameSourceTest, TheNameIsLookedUpOncePerJob) {
  ConfiguredJob job(Spooler(u"alice"));
  ASSERT_TRUE(job.WriteSettings());
  const char16_t* kept = job.job()->UserName;
  EXPECT_EQ(GetJobUserName(job.job()), kept);
  ASSERT_TRUE(job.WriteSettings());
  EXPECT_EQ(job.machine().faults().CallCount("GetJobW"), 2u);  // the size, then the job
  EXPECT_EQ(job.job()->UserName, kept);
}

}  // namespace
}  // namespace spoolhook::testing
