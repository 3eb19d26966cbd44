// A job that turns its printer data into an overlay file: create, write, stamp, delete.
#include <gtest/gtest.h>

#include "overlay/new_overlay.h"
#include "overlay_test_support.h"
#include "platform/forwarding_platform.h"
#include "support/job_fixture.h"
#include "support/popup_recorder.h"

namespace spoolhook::testing {
namespace {

// Thursday, 5 March 2026, 14:07:09.300 local time, on system version 5.2.
constexpr SYSTEMTIME kStampTime = {2026, 3, 4, 5, 14, 7, 9, 300};
constexpr DWORD kVersion = 0x0ECE0205;

class FrozenClock : public ForwardingPlatform {
 public:
  FrozenClock() : ForwardingPlatform(Os()), previous_(SetPlatform(this)) {}
  ~FrozenClock() override { SetPlatform(previous_); }
  void GetLocalTime(SYSTEMTIME* time) override { *time = kStampTime; }
  DWORD GetVersion() override { return kVersion; }

 private:
  Platform* previous_;
};

class OverlayCreationTest : public JobTest {
 protected:
  void SetUp() override {
    JobTest::SetUp();
    ASSERT_TRUE(Write(StringRecord(2, Target())).result);
  }
  std::string Target() const { return machine_.Folder() + "FORM.OVL"; }
  // Subcommands 43 and 40, then the form as the job's printer data.
  void CreateWith(const std::string& form) {
    ASSERT_TRUE(Write(OverlayRecord(43)).result);
    ASSERT_TRUE(Write(OverlayRecord(40)).result);
    ASSERT_TRUE(Write(RawDataRecord(form)).result);
  }
  // Subcommand 41 fails with `code` and ends the job's output.
  void ExpectStampFails(DWORD code) {
    const Written result = Write(OverlayRecord(41));
    EXPECT_FALSE(result.result);
    EXPECT_EQ(result.written, 0u);
    EXPECT_EQ(job()->JobError, code);
    EXPECT_TRUE(IsJobOutputCancelled(job()));
    EXPECT_TRUE(!machine_.FileExists(Target()) || NobodyHolds(machine_, Target()));
  }

  PopupRecorder popups_;
  FrozenClock clock_;
};

TEST_F(OverlayCreationTest, TheJobsDataBecomeTheFileAndItsHeaderIsStamped) {
  const long handlesBefore = machine_.OpenHandleCount();
  const std::string form = OverlayFile(std::string(100, 'F'));
  ASSERT_TRUE(Write(OverlayRecord(43)).result);
  ASSERT_TRUE(Write(OverlayRecord(40)).result);
  EXPECT_EQ(job()->Spooling, 1u);
  EXPECT_EQ(job()->OverlayOutput, 1u);
  // The header and the form data arrive in pieces, as any printer data do.
  ASSERT_TRUE(Write(RawDataRecord(form.substr(0, 200))).result);
  ASSERT_TRUE(Write(RawDataRecord(form.substr(200))).result);
  const Written result = Write(OverlayRecord(41));
  EXPECT_TRUE(result.result);
  EXPECT_EQ(result.written, 20u);
  EXPECT_EQ(job()->JobError, 0u);

  std::string expected = form;
  // Data length: 487 bytes of file minus the data offset 387.
  expected.replace(4, 4, std::string("\x64\x00\x00\x00", 4));
  // System version 5.2: major, then minor.
  expected.replace(75, 2, "\x05\x02");
  // 2026 (0x07EA), month 3, day 5, Thursday (4), 14:07:09, 300 ms (0x12C) in its low 8 bits.
  expected.replace(93, 9, "\xEA\x07\x03\x05\x04\x0E\x07\x09\x2C");
  EXPECT_EQ(machine_.ReadFileBytes(Target()), expected);
  EXPECT_EQ(machine_.PortBytes(), "");
  EXPECT_TRUE(popups_.messages.empty());
  EXPECT_TRUE(NobodyHolds(machine_, Target()));
  CloseJob();
  // The finished overlay file stays.
  EXPECT_TRUE(machine_.FileExists(Target()));
  EXPECT_EQ(machine_.OpenHandleCount(), handlesBefore);
}

TEST_F(OverlayCreationTest, TheDataLengthIsMeasuredFromTheDataOffsetTheJobWrote) {
  CreateWith(OverlayFile(std::string(13, 'F'), std::string("Mirak\0", 6), 0x150));
  ASSERT_TRUE(Write(OverlayRecord(41)).result);
  // 400 bytes of file minus 0x150 = 64 (0x40).
  EXPECT_EQ(machine_.ReadFileBytes(Target()).substr(4, 4), std::string("\x40\x00\x00\x00", 4));
}

TEST_F(OverlayCreationTest, PrinterDataAfterTheStampAreDroppedAndTheFileKept) {
  CreateWith(OverlayFile());
  ASSERT_TRUE(Write(OverlayRecord(41)).result);
  const std::string stamped = machine_.ReadFileBytes(Target());
  const Written late = Write(RawDataRecord("late data"));
  EXPECT_TRUE(late.result);
  EXPECT_EQ(late.written, 17u);
  EXPECT_EQ(machine_.ReadFileBytes(Target()), stamped);
  EXPECT_EQ(machine_.PortBytes(), "");
  EXPECT_EQ(job()->JobError, 0u);
  EXPECT_TRUE(popups_.messages.empty());
}

TEST_F(OverlayCreationTest, AFileShorterThanAHeaderCannotBeStamped) {
  CreateWith(std::string(386, 'H'));
  ExpectStampFails(33);
  EXPECT_EQ(job()->ErrorLatched, 1u);
  EXPECT_EQ(machine_.ReadFileBytes(Target()), std::string(386, 'H'));
}

TEST_F(OverlayCreationTest, StampFailuresLeaveTheirCodes) {
  const struct {
    const char* call;
    DWORD code;
  } cases[] = {{"CreateFileA", 32}, {"ReadFile", 33}, {"SetFilePointer", 34}, {"WriteFile", 34}};
  for (const auto& c : cases) {
    CloseJob();
    machine_.base().DeleteFileA(Target().c_str());
    SetUp();
    CreateWith(OverlayFile());
    machine_.faults().Reset();
    machine_.faults().FailCall(c.call);
    ExpectStampFails(c.code);
    EXPECT_EQ(job()->ErrorLatched, 1u) << c.call;
    machine_.faults().Reset();
    EXPECT_EQ(machine_.ReadFileBytes(Target()), OverlayFile()) << c.call;
  }
  // None of these codes is told.
  EXPECT_TRUE(popups_.messages.empty());
}

TEST_F(OverlayCreationTest, AFileWhoseSizeCannotBeHadIsLeftUnstamped) {
  CreateWith(OverlayFile());
  machine_.faults().FailCall("GetFileSize");
  ExpectStampFails(0);
  EXPECT_EQ(job()->ErrorLatched, 0u);
  machine_.faults().Reset();
  EXPECT_EQ(machine_.ReadFileBytes(Target()), OverlayFile());
}

TEST_F(OverlayCreationTest, AFailedWriteIntoTheFileForbidsTheStamp) {
  ASSERT_TRUE(Write(OverlayRecord(40)).result);
  machine_.faults().ShortenCall("WriteFile", machine_.faults().CallCount("WriteFile") + 1);
  EXPECT_FALSE(Write(RawDataRecord(OverlayFile())).result);
  EXPECT_FALSE(machine_.FileExists(Target()));
  ExpectStampFails(0);
}

TEST_F(OverlayCreationTest, TheFileCannotBeCreated) {
  const struct {
    const char* name;
    std::string path;  // empty: none set
  } cases[] = {{"no path", ""}, {"a missing folder", "NOFOLDER\\FORM.OVL"}};
  for (const auto& c : cases) {
    CloseJob();
    JobTest::SetUp();
    if (!c.path.empty()) {
      ASSERT_TRUE(Write(StringRecord(2, machine_.Folder() + c.path)).result);
    }
    const Written result = Write(OverlayRecord(40));
    EXPECT_FALSE(result.result) << c.name;
    EXPECT_EQ(job()->JobError, 19u) << c.name;
    EXPECT_TRUE(IsJobOutputCancelled(job())) << c.name;
    EXPECT_EQ(job()->ErrorLatched, 0u) << c.name;
    EXPECT_EQ(job()->Spooling, 0u) << c.name;
  }
  EXPECT_EQ(popups_.Texts(),
            std::vector<std::u16string>(
                2,
                u"Information from the ZEMT4 printer driver.\n\nUnable to create Overlay "
                u"file.\n\nOverlay file creation will be cancelled."));
}

TEST_F(OverlayCreationTest, CancelledOutputRefusesEveryFileOperationWithoutACode) {
  ASSERT_TRUE(machine_.WriteFileBytes(Target(), "old"));
  CancelJobOutput(job());
  for (DWORD subcommand : {40u, 41u, 42u}) {
    const Written result = Write(OverlayRecord(subcommand));
    EXPECT_FALSE(result.result) << subcommand;
    EXPECT_EQ(job()->JobError, 0u) << subcommand;
  }
  EXPECT_EQ(machine_.ReadFileBytes(Target()), "old");
}

TEST_F(OverlayCreationTest, DeletingTheNewOverlayFile) {
  // Not there: nothing to do.
  EXPECT_TRUE(Write(OverlayRecord(42)).result);
  // There: deleted.
  ASSERT_TRUE(machine_.WriteFileBytes(Target(), "old"));
  EXPECT_TRUE(Write(OverlayRecord(42)).result);
  EXPECT_FALSE(machine_.FileExists(Target()));
  // Being written: closed, deleted, and the rest of the job's data go nowhere.
  CreateWith("partial form");
  const Written result = Write(OverlayRecord(42));
  EXPECT_TRUE(result.result);
  EXPECT_EQ(result.written, 20u);
  EXPECT_FALSE(machine_.FileExists(Target()));
  EXPECT_TRUE(Write(RawDataRecord("late")).result);
  EXPECT_EQ(machine_.PortBytes(), "");
  EXPECT_EQ(job()->JobError, 0u);
  EXPECT_TRUE(popups_.messages.empty());
}

TEST_F(OverlayCreationTest, DeletingNeedsAPath) {
  CloseJob();
  JobTest::SetUp();
  EXPECT_FALSE(Write(OverlayRecord(42)).result);
  EXPECT_TRUE(IsJobOutputCancelled(job()));
}

}  // namespace
}  // namespace spoolhook::testing
