#include <gtest/gtest.h>

#include <cstring>

#include "engine/exports.h"
#include "support/job_fixture.h"

namespace spoolhook::testing {
namespace {

class CloseTest : public JobTest {
 protected:
  std::string CapturePath() { return machine_.Folder() + "CAPTURE.PRN"; }

  void StartCapture(std::int32_t mode) {
    ASSERT_TRUE(Write(SettingsRecord(2, mode)).result);
    ASSERT_TRUE(Write(CapturePathRecord(Wide(CapturePath()))).result);
    ASSERT_NE(job()->CaptureFile, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(Write(RawDataRecord("captured")).result);
  }
};

TEST_F(CloseTest, DeletesNoFileForAJobThatNeverSpooled) {
  Write(StringRecord(2, machine_.Folder() + "NEW.OVL"));
  machine_.WriteFileBytes(machine_.Folder() + "NEW.OVL", "form");
  DrvSplEndDoc(handle_);
  CloseJob();
  EXPECT_EQ(machine_.faults().CallCount("DeleteFileA"), 0u);
  EXPECT_EQ(machine_.faults().CallCount("DeleteFileW"), 0u);
  EXPECT_EQ(machine_.ReadFileBytes(machine_.Folder() + "NEW.OVL"), "form");
}

TEST_F(CloseTest, DeletesTheSpoolFileAndClearsItsName) {
  const std::string spoolFile = machine_.Folder() + "SPL1.TMP";
  ASSERT_TRUE(machine_.WriteFileBytes(spoolFile, "spooled"));
  std::strcpy(job()->SpoolFileName, spoolFile.c_str());
  CloseJob();
  EXPECT_FALSE(machine_.FileExists(spoolFile));
}

TEST_F(CloseTest, KeepsTheCaptureFileUnlessAskedToDeleteIt) {
  StartCapture(OUTPUT_PRINTER | OUTPUT_CAPTURE);
  DrvSplEndDoc(handle_);
  CloseJob();
  EXPECT_EQ(machine_.ReadFileBytes(CapturePath()), "captured");
}

TEST_F(CloseTest, DeletesTheCaptureFileWhenAskedTo) {
  StartCapture(OUTPUT_PRINTER | OUTPUT_CAPTURE | OUTPUT_DELETE_CAPTURE);
  DrvSplEndDoc(handle_);
  CloseJob();
  EXPECT_FALSE(machine_.FileExists(CapturePath()));
}

TEST_F(CloseTest, ClosesAndDeletesTheCaptureFileOfAJobThatNeverEnded) {
  StartCapture(OUTPUT_PRINTER | OUTPUT_CAPTURE | OUTPUT_DELETE_CAPTURE);
  CloseJob();
  EXPECT_FALSE(machine_.FileExists(CapturePath()));
}

TEST_F(CloseTest, EndDocClosesTheCaptureFileOnly) {
  StartCapture(OUTPUT_PRINTER | OUTPUT_CAPTURE);
  DrvSplEndDoc(handle_);
  EXPECT_EQ(job()->CaptureFile, INVALID_HANDLE_VALUE);
  EXPECT_NE(job()->CapturePath, nullptr);
  // Later data still reach the printer; the capture file is closed for good.
  ASSERT_TRUE(Write(RawDataRecord(" more")).result);
  EXPECT_EQ(machine_.PortBytes(), "captured more");
  EXPECT_EQ(machine_.ReadFileBytes(CapturePath()), "captured");
}

// The host machine counts what is open; a whole job must give back every block and handle.
TEST(CloseLeakTest, AJobGivesBackEveryBlockAndHandle) {
  TestMachine machine;
  const long blocks = machine.HeapBlockCount();
  const long handles = machine.OpenHandleCount();
  if (blocks < 0 || handles < 0) GTEST_SKIP() << "this platform does not count its resources";
  HANDLE job = DrvSplStartDoc(machine.printer(), 1);
  ASSERT_NE(job, nullptr);
  const Record records[] = {
      SettingsRecord(2, OUTPUT_PRINTER | OUTPUT_CAPTURE),
      CapturePathRecord(Wide(machine.Folder() + "LEAK.PRN")),
      SettingsRecord(1, 8, std::string("C:\\ACCT\0", 8)),
      SettingsRecord(4, 10, std::string("u\0s\0e\0r\0\0\0", 10)),
      StringRecord(2, "C:\\FORMS\\NEW.OVL"),
      StringRecord(3, "C:\\FORMS\\A.OVL", 3),
      RawDataRecord("data"),
  };
  for (const Record& record : records) {
    std::string bytes = record.bytes();
    DWORD written = 0;
    DrvSplWritePrinter(job, bytes.data(), record.size(), &written);
  }
  DrvSplClose(job);  // without DrvSplEndDoc: the capture file is still open here
  EXPECT_EQ(machine.HeapBlockCount(), blocks);
  EXPECT_EQ(machine.OpenHandleCount(), handles);
}

}  // namespace
}  // namespace spoolhook::testing
