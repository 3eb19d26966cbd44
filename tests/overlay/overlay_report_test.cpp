// Record 0x1050 subcommand 14: the first faulty slot told with the cancellation suffix and
// the job's output ended, or each page warning told while the job goes on; never after an
// earlier pop-up.
#include "overlay/overlay_compatibility.h"

#include <gtest/gtest.h>

#include "jobinfo/driver_block.h"
#include "support/job_fixture.h"
#include "support/popup_recorder.h"

namespace spoolhook::testing {
namespace {

const std::u16string kPrefix = u"Information from the ZEMT4 printer driver.\n\n";
const std::u16string kCancelled = u"\n\nPrinting will be cancelled.";
const std::u16string kPageWarning =
    kPrefix +
    u"Page Size or Orientation setting is different from the setting for the current "
    u"Overlay file.";

class OverlayReportTest : public JobTest {
 protected:
  // The record reports its 20 bytes whatever its result.
  BOOL Report(std::uint32_t reportWarnings) {
    const Written result = Write(OverlayDownloadRecord(14, reportWarnings));
    EXPECT_EQ(result.written, 20u);
    return result.result;
  }
  DWORD Latch() { return GetDriverBlock(job())->PopupLatch; }

  PopupRecorder popups_;
};

TEST_F(OverlayReportTest, EachFaultIsToldWithTheCancellationSuffix) {
  const struct {
    DWORD status;
    std::u16string text;
  } cases[] = {
      {1, kPrefix +
              u"Unable to use the specified Overlay form.\n\nThe specified file is not an "
              u"Overlay file or is unavailable." +
              kCancelled},
      {2, kPrefix + u"Created Overlay file cannot be used in this driver." + kCancelled},
      {3, kPrefix + u"This Overlay file is not compatible with this driver." + kCancelled},
      {4, kPrefix +
              u"The Resolution of the Overlay file is different from that in the driver "
              u"setting." +
              kCancelled},
      {5, kPrefix +
              u"The Color setting of the Overlay file is different from that in the driver "
              u"setting." +
              kCancelled},
      {6, kPrefix + u"Scaling and Page Layout settings are invalid in compatible Overlay file." +
              kCancelled},
      {7, kPrefix + u"Cannot find the Overlay file C:\\FORMS\\GONE.OVL." + kCancelled},
  };
  for (const auto& c : cases) {
    CloseJob();
    SetUp();
    popups_.messages.clear();
    ASSERT_TRUE(Write(StringRecord(3, "C:\\FORMS\\GONE.OVL", 6)).result);
    SetOverlayStatus(job(), 6, c.status);
    EXPECT_FALSE(Report(0)) << c.status;
    EXPECT_EQ(popups_.Texts(), std::vector<std::u16string>{c.text}) << c.status;
    EXPECT_TRUE(IsJobOutputCancelled(job())) << c.status;
    EXPECT_EQ(Latch(), 1u) << c.status;
  }
}

TEST_F(OverlayReportTest, TheFirstFaultySlotIsToldAndNoWarning) {
  SetOverlayStatus(job(), 0, 0x10000);
  SetOverlayStatus(job(), 2, 4);
  SetOverlayStatus(job(), 5, 1);
  EXPECT_FALSE(Report(1));
  EXPECT_EQ(popups_.Texts(),
            std::vector<std::u16string>{kPrefix +
                                        u"The Resolution of the Overlay file is different from "
                                        u"that in the driver setting." +
                                        kCancelled});
  EXPECT_TRUE(IsJobOutputCancelled(job()));
}

TEST_F(OverlayReportTest, AMissingFileWithoutAPathShowsThePlaceholder) {
  SetOverlayStatus(job(), 3, 7);
  EXPECT_FALSE(Report(0));
  EXPECT_EQ(popups_.Texts(), std::vector<std::u16string>{
                                 kPrefix + u"Cannot find the Overlay file %s." + kCancelled});
}

TEST_F(OverlayReportTest, EachPageWarningIsToldWhenAskedAndTheJobGoesOn) {
  SetOverlayStatus(job(), 0, 0x10000);
  SetOverlayStatus(job(), 5, 0x10000);
  EXPECT_TRUE(Report(1));
  EXPECT_EQ(popups_.Texts(), (std::vector<std::u16string>{kPageWarning, kPageWarning}));
  EXPECT_FALSE(IsJobOutputCancelled(job()));
  EXPECT_EQ(Latch(), 1u);
}

TEST_F(OverlayReportTest, WarningsAreNotToldUnlessAsked) {
  SetOverlayStatus(job(), 1, 0x10000);
  EXPECT_TRUE(Report(0));
  EXPECT_TRUE(popups_.messages.empty());
  EXPECT_EQ(Latch(), 0u);
  // Nothing to tell at all.
  SetOverlayStatus(job(), 1, 0);
  EXPECT_TRUE(Report(1));
  EXPECT_TRUE(popups_.messages.empty());
  EXPECT_EQ(Latch(), 0u);
}

TEST_F(OverlayReportTest, AfterAnyPopupOrTheEndOfOutputNothingIsTold) {
  SetOverlayStatus(job(), 1, 0x10000);
  ASSERT_TRUE(Report(1));
  SetOverlayStatus(job(), 2, 5);
  popups_.messages.clear();
  EXPECT_FALSE(Report(1));
  EXPECT_TRUE(popups_.messages.empty());
  EXPECT_FALSE(IsJobOutputCancelled(job()));

  CloseJob();
  SetUp();
  SetOverlayStatus(job(), 2, 5);
  CancelJobOutput(job());
  EXPECT_FALSE(Report(1));
  EXPECT_TRUE(popups_.messages.empty());
  EXPECT_EQ(Latch(), 0u);
}

TEST_F(OverlayReportTest, WithoutTheNetworkLibraryTheReportActsTheSame) {
  popups_.libraryAvailable = false;
  SetOverlayStatus(job(), 4, 2);
  EXPECT_FALSE(Report(0));
  EXPECT_TRUE(IsJobOutputCancelled(job()));
  EXPECT_EQ(Latch(), 1u);
}

}  // namespace
}  // namespace spoolhook::testing
