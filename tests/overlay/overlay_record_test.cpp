// Record id 3 in the dispatch: its count written, and records too short for their
// subcommand.
#include <gtest/gtest.h>

#include "support/job_fixture.h"
#include "support/popup_recorder.h"

namespace spoolhook::testing {
namespace {

class OverlayRecordTest : public JobTest {
 protected:
  PopupRecorder popups_;
};

TEST_F(OverlayRecordTest, AnUnknownSubcommandIsAcceptedWithNothingWritten) {
  for (DWORD subcommand : {0u, 39u, 44u, 52u, 54u, 100u}) {
    const Written result = Write(OverlayRecord(subcommand));
    EXPECT_TRUE(result.result) << subcommand;
    EXPECT_EQ(result.written, 0u) << subcommand;
    EXPECT_EQ(job()->JobError, 1u) << subcommand;
  }
  // Even a bare subcommand.
  EXPECT_TRUE(Write(Record(3).U32(44)).result);
  EXPECT_FALSE(IsJobOutputCancelled(job()));
  EXPECT_TRUE(popups_.messages.empty());
}

TEST_F(OverlayRecordTest, ASuccessReportsTheWholeRecordAFailureNothingAndEndsTheOutput) {
  ASSERT_TRUE(Write(StringRecord(2, machine_.Folder() + "FORM.OVL")).result);
  const Written success = Write(OverlayRecord(42).Bytes("tail"));
  EXPECT_TRUE(success.result);
  EXPECT_EQ(success.written, 24u);
  EXPECT_FALSE(IsJobOutputCancelled(job()));
  ASSERT_TRUE(Write(StringRecord(2, machine_.Folder() + "NOFOLDER\\FORM.OVL")).result);
  const Written failure = Write(OverlayRecord(40));
  EXPECT_FALSE(failure.result);
  EXPECT_EQ(failure.written, 0u);
  EXPECT_TRUE(IsJobOutputCancelled(job()));
}

TEST_F(OverlayRecordTest, ARecordTooShortForItsSubcommandFailsAndChangesNothing) {
  ASSERT_TRUE(Write(StringRecord(2, machine_.Folder() + "FORM.OVL")).result);
  const std::string shortRecords[] = {
      Record(3).bytes(),                           // no subcommand
      Record(3).bytes() + std::string("\x2B", 1),  // part of one
      Record(3).U32(53).bytes(),                   // 53 without its second word
  };
  for (const std::string& bytes : shortRecords) {
    std::string copy = bytes;
    DWORD written = 77;
    EXPECT_FALSE(
        DrvSplWritePrinter(handle_, copy.data(), static_cast<DWORD>(copy.size()), &written));
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(job()->JobError, 0u);
    EXPECT_FALSE(IsJobOutputCancelled(job()));
  }
  // Subcommand 43 reads its other words only to warn: it needs none of them.
  EXPECT_TRUE(Write(Record(3).U32(43)).result);
  EXPECT_TRUE(popups_.messages.empty());
}

}  // namespace
}  // namespace spoolhook::testing
