#include "engine/job_context.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/exports.h"
#include "jobinfo/driver_block.h"
#include "spool/paper_commands.h"
#include "support/job_fixture.h"
#include "support/test_machine.h"

namespace spoolhook::testing {
namespace {

struct DriverPathCase {
  const char16_t* driverPath;
  const char16_t* directory;
};

class DriverDirectoryTest : public ::testing::TestWithParam<DriverPathCase> {};

TEST_P(DriverDirectoryTest, IsTheDriverPathCutAtItsLastBackslash) {
  SimulatedSpoolerConfig config;
  config.driverPath = GetParam().driverPath;
  TestMachine machine(config);
  JobContext* job = CreateJobContext(machine.printer(), 1, 0, nullptr);
  ASSERT_NE(job, nullptr);
  ASSERT_NE(job->DriverDirectory, nullptr);
  EXPECT_EQ(std::u16string(job->DriverDirectory), GetParam().directory);
  ReleaseJobContext(job);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DriverDirectoryTest,
    ::testing::Values(DriverPathCase{u"C:\\DRIVERS\\X.DLL", u"C:\\DRIVERS"},
                      DriverPathCase{u"C:\\A\\B\\C.DLL", u"C:\\A\\B"},
                      DriverPathCase{u"\\X.DLL", u"\\X.DLL"}, DriverPathCase{u"X.DLL", u"X.DLL"},
                      DriverPathCase{u"\\\\SERVER\\DRIVERS\\X.DLL", u"\\\\SERVER\\DRIVERS"}));

TEST(CreateJobContextTest, WithoutPrinterGivesNoJobAndAllocatesNothing) {
  TestMachine machine;
  EXPECT_EQ(DrvSplStartDoc(nullptr, 1), nullptr);
  EXPECT_EQ(machine.faults().CallCount("HeapAlloc"), 0u);
}

TEST(CreateJobContextTest, WithoutMemoryGivesNoJob) {
  TestMachine machine;
  machine.faults().FailCall("HeapAlloc", 1);
  EXPECT_EQ(DrvSplStartDoc(machine.printer(), 1), nullptr);
}

TEST(CreateJobContextTest, StartsWithTheInitialFieldValues) {
  TestMachine machine;
  JobContext* job = CreateJobContext(machine.printer(), 42, 16, nullptr);
  ASSERT_NE(job, nullptr);
  EXPECT_EQ(std::memcmp(job->Magic, "GSRD", 4), 0);
  EXPECT_EQ(job->Printer, machine.printer());
  EXPECT_EQ(job->JobId, 42u);
  EXPECT_EQ(job->DriverBlockOffset, sizeof(JobContext));
  EXPECT_EQ(job->SpoolFile, INVALID_HANDLE_VALUE);
  EXPECT_EQ(job->CaptureFile, INVALID_HANDLE_VALUE);
  EXPECT_EQ(job->ReplayFile, nullptr);
  EXPECT_EQ(job->OutputMode, OUTPUT_PRINTER);
  EXPECT_EQ(job->Flags, 0u);
  EXPECT_EQ(job->BytesSent, 0u);
  const BYTE* driverBlock = reinterpret_cast<const BYTE*>(GetDriverBlock(job));
  EXPECT_EQ(driverBlock, reinterpret_cast<const BYTE*>(job) + sizeof(JobContext));
  for (int i = 0; i < 16; ++i) EXPECT_EQ(driverBlock[i], 0) << i;
  ReleaseJobContext(job);
}

TEST(CreateJobContextTest, WithoutDriverBlockHasNone) {
  TestMachine machine;
  JobContext* job = CreateJobContext(machine.printer(), 1, 0, nullptr);
  ASSERT_NE(job, nullptr);
  EXPECT_EQ(job->DriverBlockOffset, 0u);
  EXPECT_EQ(GetDriverBlock(job), nullptr);
  ReleaseJobContext(job);
}

TEST(CreateJobContextTest, StartsWithoutDriverDirectoryWhenTheSpoolerCannotTell) {
  SimulatedSpoolerConfig config;
  config.driverInfoAvailable = false;
  TestMachine machine(config);
  JobContext* job = CreateJobContext(machine.printer(), 1, 0, nullptr);
  ASSERT_NE(job, nullptr);
  EXPECT_EQ(job->DriverDirectory, nullptr);
  ReleaseJobContext(job);
}

TEST(CreateJobContextTest, StartsWithoutDriverDirectoryWhenTheSecondDriverCallFails) {
  TestMachine machine;
  machine.faults().FailCall("GetPrinterDriverW", 2);
  JobContext* job = CreateJobContext(machine.printer(), 1, 0, nullptr);
  ASSERT_NE(job, nullptr);
  EXPECT_EQ(job->DriverDirectory, nullptr);
  ReleaseJobContext(job);
}

BOOL PaperSource(JobContext*, LONG, LONG) { return TRUE; }
BOOL BlankPage(JobContext*) { return TRUE; }
BOOL GroupPad(JobContext*, LONG, LONG) { return TRUE; }

TEST(CreateJobContextTest, TakesOptionsUpToTheEndOfTheList) {
  TestMachine machine;
  const JobOption options[] = {
      {1, reinterpret_cast<FARPROC>(PaperSource)}, {7, reinterpret_cast<FARPROC>(GroupPad)},
      {2, reinterpret_cast<FARPROC>(BlankPage)},   {9999, nullptr},
      {3, reinterpret_cast<FARPROC>(GroupPad)},
  };
  JobContext* job = CreateJobContext(machine.printer(), 1, 0, options);
  ASSERT_NE(job, nullptr);
  EXPECT_EQ(job->PaperSourceCallback, PaperSource);
  EXPECT_EQ(job->BlankPageCallback, BlankPage);
  EXPECT_EQ(job->GroupPadCallback, nullptr);
  ReleaseJobContext(job);
}

TEST(CreateJobContextTest, LaterOptionsOverrideEarlierOnes) {
  TestMachine machine;
  const JobOption options[] = {
      {3, reinterpret_cast<FARPROC>(GroupPad)},
      {3, nullptr},
      {9999, nullptr},
  };
  JobContext* job = CreateJobContext(machine.printer(), 1, 0, options);
  ASSERT_NE(job, nullptr);
  EXPECT_EQ(job->GroupPadCallback, nullptr);
  ReleaseJobContext(job);
}

using AccessorTest = JobTest;

TEST_F(AccessorTest, OverlayPathIsNoneOutsideTheSlotsAndForEmptySlots) {
  ASSERT_TRUE(Write(StringRecord(3, "C:\\FORMS\\A.OVL", 0)).result);
  EXPECT_STREQ(GetOverlayPath(job(), 0), "C:\\FORMS\\A.OVL");
  EXPECT_EQ(GetOverlayPath(job(), 1), nullptr);
  EXPECT_EQ(GetOverlayPath(job(), 8), nullptr);
  EXPECT_EQ(GetOverlayPath(job(), -1), nullptr);
  EXPECT_EQ(GetNewOverlayPath(job()), nullptr);
}

TEST_F(AccessorTest, OverlayStatusIgnoresIndexesOutsideTheSlots) {
  SetOverlayStatus(job(), 7, 0x10004);
  SetOverlayStatus(job(), 8, 5);
  SetOverlayStatus(job(), -1, 5);
  EXPECT_EQ(GetOverlayStatus(job(), 7), 0x10004u);
  EXPECT_EQ(GetOverlayStatus(job(), 8), 0u);
  EXPECT_EQ(GetOverlayStatus(job(), -1), 0u);
  EXPECT_EQ(job()->ReplayOptions, 0u);  // the word behind the statuses is untouched
}

TEST_F(AccessorTest, CopiesAreWidenedWithTheirSign) {
  job()->Copies = -2;
  EXPECT_EQ(GetCopies(job()), -2);
}

TEST_F(AccessorTest, CancellingSetsOnlyTheCancelFlag) {
  EXPECT_FALSE(IsJobOutputCancelled(job()));
  CancelJobOutput(job());
  EXPECT_TRUE(IsJobOutputCancelled(job()));
  EXPECT_EQ(job()->Flags, OUTPUT_CANCELLED);
}

using StartDocTest = JobTest;

TEST_F(StartDocTest, FillsTheDriverBlockHandles) {
  const DriverBlock* driver = GetDriverBlock(job());
  ASSERT_NE(driver, nullptr);
  EXPECT_NE(driver->ModuleHandle, nullptr);
  EXPECT_EQ(driver->PrinterHandle, machine_.printer());
  EXPECT_EQ(driver->SpoolerJobId, machine_.spooler().config().jobId);
  EXPECT_EQ(job()->PaperSourceCallback, SendPaperSource);
  EXPECT_EQ(job()->BlankPageCallback, SendBlankPage);
  EXPECT_EQ(job()->GroupPadCallback, nullptr);
}

TEST_F(StartDocTest, PageCallsAndAbortLeaveTheJobAsItWas) {
  EXPECT_TRUE(DrvSplStartPage(handle_));
  EXPECT_TRUE(DrvSplEndPage(handle_));
  DrvSplAbort(handle_);
  EXPECT_FALSE(IsJobOutputCancelled(job()));
  const Written result = Write(RawDataRecord("after abort"));
  EXPECT_TRUE(result.result);
  EXPECT_EQ(result.written, 8u + 11u);
  EXPECT_EQ(machine_.PortBytes(), "after abort");
}

}  // namespace
}  // namespace spoolhook::testing
