#include "engine/output_sink.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/slots.h"
#include "support/job_fixture.h"

namespace spoolhook::testing {
namespace {

class OutputSinkTest : public JobTest {
 protected:
  std::string CapturePath() { return machine_.Folder() + "OUT.PRN"; }
  std::string SpoolPath() { return machine_.Folder() + "SPL0001.TMP"; }

  void StartCapture(std::int32_t mode) {
    ASSERT_TRUE(Write(SettingsRecord(2, mode)).result);
    ASSERT_TRUE(Write(CapturePathRecord(Wide(CapturePath()))).result);
  }

  // Output into a spool file of the test's own, as the spool records would set it up.
  void StartSpooling() {
    std::strcpy(job()->SpoolFileName, SpoolPath().c_str());
    ASSERT_NE(OpenFileSlot(&job()->SpoolFile, job()->SpoolFileName, GENERIC_WRITE, 0, nullptr,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr),
              INVALID_HANDLE_VALUE);
    job()->Spooling = 1;
  }

  std::string Captured() {
    DrvSplEndDoc(handle_);
    return machine_.ReadFileBytes(CapturePath());
  }

  using Writer = BOOL (*)(JobContext*, const void*, DWORD, DWORD*);
  Written Send(Writer writer, const std::string& bytes, DWORD preset = 0) {
    DWORD written = preset;
    const BOOL result = writer(job(), bytes.data(), static_cast<DWORD>(bytes.size()), &written);
    return {result, written};
  }
};

TEST_F(OutputSinkTest, PrinterModeSendsToThePrinterAndCountsTheBytes) {
  const Written result = Send(WriteJobData, "abc");
  EXPECT_TRUE(result.result);
  EXPECT_EQ(result.written, 3u);
  EXPECT_EQ(machine_.PortBytes(), "abc");
  EXPECT_EQ(GetBytesSent(job()), 3u);
}

TEST_F(OutputSinkTest, NeitherDestinationWritesNothingAndLeavesTheCount) {
  ASSERT_TRUE(Write(SettingsRecord(2, OUTPUT_DELETE_CAPTURE)).result);
  for (auto writer : {WriteJobData, WriteRecordData, WriteDirect}) {
    const Written result = Send(writer, "abc", 7);
    EXPECT_TRUE(result.result);
    EXPECT_EQ(result.written, 7u);
  }
  EXPECT_EQ(machine_.PortBytes(), "");
  EXPECT_EQ(GetBytesSent(job()), 0u);
  // A raw data record then reports its head alone.
  EXPECT_EQ(Write(RawDataRecord("abc")).written, 8u);
}

TEST_F(OutputSinkTest, CaptureModeAloneWritesOnlyTheCaptureFile) {
  StartCapture(OUTPUT_CAPTURE);
  ASSERT_NE(job()->CaptureFile, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(Send(WriteJobData, "abcd").result);
  EXPECT_TRUE(Send(WriteDirect, "ef").result);
  EXPECT_EQ(machine_.PortBytes(), "");
  EXPECT_EQ(GetBytesSent(job()), 6u);
  EXPECT_EQ(Captured(), "abcdef");
}

TEST_F(OutputSinkTest, PrinterAndCaptureGetTheSameBytes) {
  StartCapture(OUTPUT_PRINTER | OUTPUT_CAPTURE);
  EXPECT_TRUE(Write(RawDataRecord("page 1\f")).result);
  EXPECT_EQ(machine_.PortBytes(), "page 1\f");
  EXPECT_EQ(Captured(), "page 1\f");
}

TEST_F(OutputSinkTest, CaptureWithoutPathSendsToThePrinterOnly) {
  ASSERT_TRUE(Write(SettingsRecord(2, OUTPUT_PRINTER | OUTPUT_CAPTURE)).result);
  EXPECT_EQ(job()->CaptureFile, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(Send(WriteJobData, "abc").result);
  EXPECT_TRUE(Send(WriteDirect, "d").result);
  EXPECT_EQ(machine_.PortBytes(), "abcd");
}

TEST_F(OutputSinkTest, CancelledOutputIsReportedWrittenAndDropped) {
  CancelJobOutput(job());
  for (auto writer : {WriteJobData, WriteRecordData, WriteDirect}) {
    const Written result = Send(writer, "abcde");
    EXPECT_TRUE(result.result);
    EXPECT_EQ(result.written, 5u);
  }
  EXPECT_EQ(machine_.PortBytes(), "");
  EXPECT_EQ(GetBytesSent(job()), 0u);
}

TEST_F(OutputSinkTest, MissingArgumentsFail) {
  DWORD written = 0;
  EXPECT_FALSE(WriteJobData(job(), nullptr, 3, &written));
  EXPECT_FALSE(WriteJobData(job(), "abc", 3, nullptr));
  EXPECT_FALSE(WriteJobData(nullptr, "abc", 3, &written));
  EXPECT_FALSE(WriteRecordData(job(), "abc", 3, nullptr));
  EXPECT_FALSE(WriteDirect(job(), "abc", 3, nullptr));
  EXPECT_EQ(machine_.PortBytes(), "");
}

TEST_F(OutputSinkTest, WhileSpoolingOnlyWriteDirectReachesThePrinter) {
  StartSpooling();
  EXPECT_TRUE(Send(WriteRecordData, "spooled").result);
  EXPECT_TRUE(Send(WriteDirect, "direct").result);
  EXPECT_EQ(machine_.PortBytes(), "direct");
  EXPECT_EQ(GetBytesSent(job()), 6u);
  CloseFileSlot(&job()->SpoolFile);
  EXPECT_EQ(machine_.ReadFileBytes(SpoolPath()), "spooled");
}

TEST_F(OutputSinkTest, AFailedPrinterWriteFailsOnlyWriteDirect) {
  StartCapture(OUTPUT_PRINTER | OUTPUT_CAPTURE);
  machine_.faults().FailCall("WritePrinter");
  EXPECT_TRUE(Send(WriteJobData, "kept").result);
  EXPECT_FALSE(Send(WriteDirect, "skipped").result);
  EXPECT_EQ(job()->JobError, 0u);
  EXPECT_EQ(Captured(), "kept");
}

TEST_F(OutputSinkTest, AFailedCaptureWriteFailsTheCallAndLaterWritesTryAgain) {
  StartCapture(OUTPUT_CAPTURE);
  const unsigned before = machine_.faults().CallCount("WriteFile");
  machine_.faults().FailCall("WriteFile", before + 1);
  EXPECT_FALSE(Send(WriteJobData, "lost").result);
  EXPECT_EQ(job()->JobError, 0u);
  EXPECT_FALSE(IsJobOutputCancelled(job()));
  EXPECT_TRUE(Send(WriteJobData, "kept").result);
  EXPECT_EQ(Captured(), "kept");
}

TEST_F(OutputSinkTest, AMissingCaptureFolderTurnsCaptureOff) {
  ASSERT_TRUE(Write(SettingsRecord(2, OUTPUT_CAPTURE)).result);
  ASSERT_TRUE(Write(CapturePathRecord(Wide(machine_.Folder() + "MISSING\\OUT.PRN"))).result);
  EXPECT_EQ(job()->OutputMode, OUTPUT_PRINTER);
  EXPECT_EQ(job()->CaptureFile, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(Write(RawDataRecord("printed")).result);
  EXPECT_EQ(machine_.PortBytes(), "printed");
}

TEST_F(OutputSinkTest, ACaptureFileThatCannotBeCreatedTurnsCaptureOff) {
  machine_.faults().FailCall("CreateFileW");
  StartCapture(OUTPUT_CAPTURE | OUTPUT_DELETE_CAPTURE);
  EXPECT_EQ(job()->OutputMode, OUTPUT_PRINTER);
  EXPECT_EQ(job()->CaptureFile, INVALID_HANDLE_VALUE);
}

TEST_F(OutputSinkTest, ACapturePathWithoutFolderIsNotChecked) {
  ASSERT_TRUE(
      Write(SettingsRecord(2, OUTPUT_PRINTER | OUTPUT_CAPTURE | OUTPUT_DELETE_CAPTURE)).result);
  ASSERT_TRUE(Write(CapturePathRecord(u"\\ROOT.PRN")).result);
  EXPECT_EQ(machine_.faults().CallCount("GetFileAttributesW"), 0u);
  EXPECT_EQ(machine_.faults().CallCount("CreateFileW"), 1u);
}

struct SpoolFailureCase {
  const char* name;
  bool writeFails;  // WriteFile fails, else it writes one byte short
  DWORD reverseOrder;
  DWORD collate;
  DWORD overlayOutput;
  DWORD errorLatched;
};

class SpoolWriteFailureTest : public OutputSinkTest,
                              public ::testing::WithParamInterface<SpoolFailureCase> {};

// Any failed or short write into the spool or overlay file ends the job's output and deletes
// the file being written, whatever the replay settings or earlier warnings.
TEST_P(SpoolWriteFailureTest, CancelsTheJobAndDeletesTheFileBeingWritten) {
  const SpoolFailureCase& c = GetParam();
  const std::string overlayPath = machine_.Folder() + "NEW.OVL";
  ASSERT_TRUE(Write(StringRecord(2, overlayPath)).result);
  ASSERT_TRUE(machine_.WriteFileBytes(overlayPath, "form"));
  StartSpooling();
  job()->ReverseOrder = c.reverseOrder;
  job()->Collate = c.collate;
  job()->OverlayOutput = c.overlayOutput;
  job()->ErrorLatched = c.errorLatched;
  const unsigned next = machine_.faults().CallCount("WriteFile") + 1;
  if (c.writeFails) {
    machine_.faults().FailCall("WriteFile", next);
  } else {
    machine_.faults().ShortenCall("WriteFile", next);
  }
  EXPECT_FALSE(Send(WriteJobData, "page data").result);
  EXPECT_EQ(job()->JobError, 17u);
  EXPECT_EQ(job()->ErrorLatched, 1u);
  EXPECT_EQ(job()->Flags, OUTPUT_CANCELLED | SPOOL_WRITE_FAILED);
  EXPECT_EQ(job()->SpoolFile, INVALID_HANDLE_VALUE);
  EXPECT_STREQ(job()->SpoolFileName, SpoolPath().c_str());
  EXPECT_EQ(machine_.FileExists(SpoolPath()), c.overlayOutput != 0);
  EXPECT_EQ(machine_.FileExists(overlayPath), c.overlayOutput == 0);
  // Everything after that is dropped.
  EXPECT_TRUE(Write(RawDataRecord("more")).result);
  EXPECT_EQ(machine_.PortBytes(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SpoolWriteFailureTest,
    ::testing::Values(SpoolFailureCase{"ShortPlainSpool", false, 0, 0, 0, 0},
                      SpoolFailureCase{"ShortReverseSpool", false, 1, 0, 0, 0},
                      SpoolFailureCase{"ShortCollatedSpool", false, 0, 1, 0, 0},
                      SpoolFailureCase{"ShortAfterWarning", false, 1, 0, 0, 1},
                      SpoolFailureCase{"ShortOverlay", false, 0, 0, 1, 0},
                      SpoolFailureCase{"ShortOverlayAfterWarning", false, 0, 0, 1, 1},
                      SpoolFailureCase{"FailedSpool", true, 0, 0, 0, 0},
                      SpoolFailureCase{"FailedOverlay", true, 0, 0, 1, 0}),
    [](const ::testing::TestParamInfo<SpoolFailureCase>& info) { return info.param.name; });

}  // namespace
}  // namespace spoolhook::testing
