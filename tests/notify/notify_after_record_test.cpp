// The pop-ups that follow engine records: which record leaves which message, the latch, and
// what happens when no pop-up can be sent.
#include "notify/notify_after_record.h"

#include <gtest/gtest.h>

#include "jobinfo/driver_block.h"
#include "support/inaccessible_memory.h"
#include "support/job_fixture.h"
#include "support/popup_recorder.h"

namespace spoolhook::testing {
namespace {

const std::u16string kPrefix = u"Information from the ZEMT4 printer driver.\n\n";
const std::u16string kCannotCreate =
    kPrefix + u"Unable to create Overlay file.\n\nOverlay file creation will be cancelled.";
const std::u16string kNoSpace =
    kPrefix +
    u"Not enough space in the disk.\n\nMake more disk space available by deleting unnecessary "
    u"files, and then retry.";
const std::u16string kScaling =
    kPrefix + u"\nScaling and Page Layout settings are invalid when creating an Overlay file.";
constexpr DWORD kOverlayRecordBytes = 20;

class NotifyTest : public JobTest {
 protected:
  DriverBlock* driver() { return GetDriverBlock(job()); }
  std::string Target() const { return machine_.Folder() + "FORM.OVL"; }
  // The new overlay path names a file that is there already.
  void TargetExists() {
    ASSERT_TRUE(machine_.WriteFileBytes(Target(), "old form"));
    ASSERT_TRUE(Write(StringRecord(2, Target())).result);
  }
  std::u16string Overwritten() const { return kPrefix + Wide(Target()) + u" File is overwritten."; }
  void Notify(const Record& record, DWORD code, BOOL result) {
    NotifyAfterRecord(job(), RecordView(record.bytes().data(), record.size()), code, result);
  }

  PopupRecorder popups_;
};

TEST_F(NotifyTest, EachStoredCodeHasItsMessage) {
  const struct {
    DWORD code;
    std::u16string text;
  } cases[] = {
      {16, kCannotCreate},
      {17, kNoSpace},
      {18, kPrefix + u"%s File is overwritten."},
      {19, kCannotCreate},
      {48, kPrefix + u"Unable to use the specified Overlay form.\n\nThe specified file is not an "
                     u"Overlay file or is unavailable."},
      {64, kPrefix + u"Page Size or Orientation setting is different from the setting for the "
                     u"current Overlay file."},
      {4097, kScaling},
  };
  for (const auto& c : cases) {
    popups_.messages.clear();
    Notify(RawDataRecord("x"), c.code, FALSE);
    EXPECT_EQ(popups_.Texts(), std::vector<std::u16string>{c.text}) << c.code;
  }
}

TEST_F(NotifyTest, CodesWithoutAMessageSendNothingAndLeaveTheLatch) {
  for (DWORD code : {1u, 32u, 33u, 34u, 20u}) Notify(RawDataRecord("x"), code, TRUE);
  Notify(OverlayRecord(43, 1, 1), 33, FALSE);
  EXPECT_TRUE(popups_.messages.empty());
  EXPECT_EQ(driver()->PopupLatch, 0u);
}

TEST_F(NotifyTest, AnUnknownOverlaySubcommandGivesNoPopup) {
  const Written result = Write(OverlayRecord(44));
  EXPECT_TRUE(result.result);
  EXPECT_EQ(result.written, 0u);
  EXPECT_EQ(job()->JobError, 1u);
  EXPECT_TRUE(popups_.messages.empty());
}

struct WordsCase {
  DWORD second;
  DWORD third;
  bool scalingWarning;
};

class ExistingTargetTest : public NotifyTest, public ::testing::WithParamInterface<WordsCase> {};

TEST_P(ExistingTargetTest, NamesThePathAndWarnsOfScalingWhenBothWordsAreSet) {
  TargetExists();
  const Written result = Write(OverlayRecord(43, GetParam().second, GetParam().third));
  EXPECT_TRUE(result.result);
  EXPECT_EQ(result.written, kOverlayRecordBytes);
  EXPECT_EQ(job()->JobError, 18u);
  std::vector<std::u16string> expected{Overwritten()};
  if (GetParam().scalingWarning) expected.push_back(kScaling);
  EXPECT_EQ(popups_.Texts(), expected);
  EXPECT_EQ(driver()->PopupLatch, 1u);
}

TEST_P(ExistingTargetTest, OnceLatchedTheCodeIsToldWithoutThePath) {
  driver()->PopupLatch = 1;
  TargetExists();
  Write(OverlayRecord(43, GetParam().second, GetParam().third));
  // The scaling warning takes the place of the code.
  const std::u16string expected =
      GetParam().scalingWarning ? kScaling : kPrefix + u"%s File is overwritten.";
  EXPECT_EQ(popups_.Texts(), std::vector<std::u16string>{expected});
}

INSTANTIATE_TEST_SUITE_P(Words, ExistingTargetTest,
                         ::testing::Values(WordsCase{0, 0, false}, WordsCase{1, 0, false},
                                           WordsCase{0, 1, false}, WordsCase{1, 1, true},
                                           WordsCase{7, 0xFFFFFFFFu, true}));

TEST_F(NotifyTest, AFreshTargetWithScalingAndLayoutGivesTheWarningAlone) {
  ASSERT_TRUE(Write(StringRecord(2, Target())).result);
  EXPECT_TRUE(Write(OverlayRecord(43, 1, 1)).result);
  EXPECT_EQ(popups_.Texts(), std::vector<std::u16string>{kScaling});
  EXPECT_EQ(driver()->PopupLatch, 1u);
}

TEST_F(NotifyTest, AFailedTargetCheckGivesOnePopupAndNoScalingWarning) {
  // A relative path is unusable (19); a drive whose free space cannot be asked gives 16.
  const struct {
    std::string path;
    const char* failingCall;
    DWORD code;
  } cases[] = {{"FORM.OVL", nullptr, 19}, {Target(), "GetDiskFreeSpaceW", 16}};
  for (const auto& c : cases) {
    CloseJob();
    SetUp();
    popups_.messages.clear();
    machine_.faults().Reset();
    ASSERT_TRUE(Write(StringRecord(2, c.path)).result);
    if (c.failingCall) machine_.faults().FailCall(c.failingCall);
    const Written result = Write(OverlayRecord(43, 1, 1));
    EXPECT_FALSE(result.result) << c.path;
    EXPECT_EQ(result.written, 0u);
    EXPECT_EQ(job()->JobError, c.code);
    EXPECT_EQ(popups_.Texts(), std::vector<std::u16string>{kCannotCreate}) << c.path;
    EXPECT_EQ(driver()->PopupLatch, 1u);
  }
}

TEST_F(NotifyTest, WithoutANewOverlayPathTheFailedCheckIsNotTold) {
  const Written result = Write(OverlayRecord(43, 1, 1));
  EXPECT_FALSE(result.result);
  EXPECT_EQ(job()->JobError, 19u);
  EXPECT_TRUE(popups_.messages.empty());
  EXPECT_EQ(driver()->PopupLatch, 0u);
}

TEST_F(NotifyTest, TheLatchDoesNotSilenceOtherRecords) {
  driver()->PopupLatch = 1;
  Notify(RawDataRecord("x"), 17, FALSE);
  Notify(OverlayRecord(53), 48, FALSE);
  EXPECT_EQ(popups_.messages.size(), 2u);
}

TEST_F(NotifyTest, AFailedWriteIntoTheOverlayFileToldOnce) {
  ASSERT_TRUE(Write(StringRecord(2, Target())).result);
  ASSERT_TRUE(Write(OverlayRecord(40)).result);
  machine_.faults().FailCall("WriteFile");
  EXPECT_FALSE(Write(RawDataRecord("form data")).result);
  EXPECT_EQ(job()->JobError, 17u);
  // The output is cancelled: later data go nowhere and are not told again.
  EXPECT_TRUE(Write(RawDataRecord("more")).result);
  EXPECT_EQ(popups_.Texts(), std::vector<std::u16string>{kNoSpace});
  EXPECT_FALSE(machine_.FileExists(Target()));
}

TEST_F(NotifyTest, OverlayRecordsThatSucceedCleanlyTellNothing) {
  ASSERT_TRUE(Write(StringRecord(2, Target())).result);
  EXPECT_TRUE(Write(OverlayRecord(43)).result);
  EXPECT_TRUE(Write(OverlayRecord(40)).result);
  std::string form(387, '\0');
  form.replace(8, 6, std::string("Mirak\0", 6));
  EXPECT_TRUE(Write(RawDataRecord(form)).result);
  EXPECT_TRUE(Write(OverlayRecord(41)).result);
  EXPECT_EQ(job()->JobError, 0u);
  // Another job uses the form, and a third deletes it.
  CloseJob();
  SetUp();
  ASSERT_TRUE(Write(StringRecord(3, Target(), 0)).result);
  EXPECT_TRUE(Write(OverlayRecord(53)).result);
  EXPECT_EQ(job()->JobError, 0u);
  CloseJob();
  SetUp();
  ASSERT_TRUE(Write(StringRecord(2, Target())).result);
  EXPECT_TRUE(Write(OverlayRecord(42)).result);
  EXPECT_FALSE(machine_.FileExists(Target()));
  EXPECT_TRUE(popups_.messages.empty());
}

TEST_F(NotifyTest, WithoutTheNetworkLibraryTheJobGoesOnAsIfToldAndTheLatchIsSet) {
  const std::pair<bool, bool> libraries[] = {{false, true}, {true, false}};
  for (const auto& [library, entryPoint] : libraries) {
    CloseJob();
    SetUp();
    popups_.libraryAvailable = library;
    popups_.entryPointAvailable = entryPoint;
    TargetExists();
    const Written result = Write(OverlayRecord(43));
    EXPECT_TRUE(result.result);
    EXPECT_EQ(result.written, kOverlayRecordBytes);
    EXPECT_EQ(job()->JobError, 18u);
    EXPECT_EQ(driver()->PopupLatch, 1u);
    EXPECT_TRUE(Write(OverlayRecord(40)).result);
  }
  EXPECT_TRUE(popups_.messages.empty());
  EXPECT_EQ(popups_.loads, popups_.frees);
}

// The notification reads the record again after its dispatch; a record whose words lie in
// memory that cannot be read fails that one call, and the job goes on.
TEST_F(NotifyTest, ARecordThatFaultsIsNotifiedSafely) {
  InaccessibleMemory memory;
  BYTE* head = memory.LastBytesBeforeTheHole(8);
  const std::string bytes = Record(3).bytes();
  std::copy(bytes.begin(), bytes.end(), head);
  DWORD written = 1234;
  EXPECT_FALSE(DrvSplWritePrinter(handle_, head, 4096, &written));
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(Write(RawDataRecord("next")).written, 12u);
}

TEST_F(NotifyTest, AFaultWhileNotifyingKeepsTheRecordsResult) {
  TargetExists();
  // The path check succeeds with code 18 and its pop-up; reading the scaling word faults.
  InaccessibleMemory memory;
  BYTE* head = memory.LastBytesBeforeTheHole(12);
  const std::string bytes = Record(3).U32(43).bytes();
  std::copy(bytes.begin(), bytes.end(), head);
  DWORD written = 0;
  EXPECT_TRUE(DrvSplWritePrinter(handle_, head, 4096, &written));
  EXPECT_EQ(written, 4096u);
  EXPECT_EQ(popups_.Texts(), std::vector<std::u16string>{Overwritten()});
}

}  // namespace
}  // namespace spoolhook::testing
