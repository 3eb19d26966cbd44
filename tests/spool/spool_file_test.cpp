// The spool file's life: creation in the root of the temporary drive, spooling, the end of
// spooling, deletion, and what the job gives back when it closes.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "spool/replay.h"
#include "spool/spool_fixture.h"

namespace spoolhook::testing {
namespace {

using SpoolFileTest = SpoolTest;

std::string TempRoot() {
  char temp[260] = {};
  Os().GetTempPathA(sizeof temp, temp);
  return std::string(temp).substr(0, 3);
}

TEST_F(SpoolFileTest, SpoolsIntoAFileInTheRootOfTheTemporaryDrive) {
  Sub(kCreateSpool);
  const std::string name = job()->SpoolFileName;
  EXPECT_EQ(name.substr(0, 6), TempRoot() + "SPL");
  EXPECT_EQ(name.find('\\', 3), std::string::npos);
  EXPECT_EQ(job()->Spooling, 1u);
  Data("page one");
  Data(", two");
  EXPECT_EQ(Port(), "");
  Sub(kEndSpooling);
  EXPECT_EQ(job()->Spooling, 0u);
  EXPECT_EQ(job()->SpoolFile, INVALID_HANDLE_VALUE);
  EXPECT_EQ(machine_.ReadFileBytes(name), "page one, two");
  Sub(kDeleteSpool);
  EXPECT_FALSE(machine_.FileExists(name));
  EXPECT_EQ(job()->SpoolFileName[0], '\0');
}

struct CreateFault {
  const char* call;
  DWORD jobError;
};

TEST_F(SpoolFileTest, AFailedCreationCancelsTheOutput) {
  const CreateFault cases[] = {
      {"GetTempPathA", 0},
      {"GetDiskFreeSpaceW", 17},
      {"GetTempFileNameA", 0},
      {"CreateFileA", 19},
  };
  for (const CreateFault& fault : cases) {
    SCOPED_TRACE(fault.call);
    CloseJob();
    SetUp();
    machine_.faults().Reset();
    machine_.faults().FailCall(fault.call);
    const Written result = Write(SpoolRecord(kCreateSpool));
    EXPECT_FALSE(result.result);
    EXPECT_EQ(result.written, 0u);
    EXPECT_EQ(job()->JobError, fault.jobError);
    EXPECT_TRUE(IsJobOutputCancelled(job()));
    EXPECT_EQ(job()->ErrorLatched, 1u);
    EXPECT_EQ(job()->Spooling, 0u);
    machine_.faults().Reset();
    Data("dropped");
    EXPECT_EQ(Port(), "");
  }
}

TEST_F(SpoolFileTest, EndingTheSpoolFailsAfterAFailedSpoolWrite) {
  Sub(kCreateSpool);
  const std::string name = job()->SpoolFileName;
  machine_.faults().FailCall("WriteFile");
  EXPECT_FALSE(Write(RawDataRecord("lost")).result);
  const Written result = Write(SpoolRecord(kEndSpooling));
  EXPECT_FALSE(result.result);
  EXPECT_EQ(result.written, 0u);
  EXPECT_EQ(job()->Spooling, 0u);
  // Nor can the job be replayed.
  EXPECT_FALSE(Write(SpoolRecord(kOpenReplay)).result);
  EXPECT_EQ(job()->ReplayBuffer, nullptr);
  CloseJob();
  EXPECT_FALSE(machine_.FileExists(name));
}

TEST_F(SpoolFileTest, DeletingAJobThatNeverSpooledSucceeds) {
  Sub(kDeleteSpool);
  EXPECT_FALSE(IsJobOutputCancelled(job()));
  EXPECT_EQ(machine_.faults().CallCount("DeleteFileA"), 0u);
}

TEST_F(SpoolFileTest, DeletingWhileSpoolingSendsLaterDataToThePrinter) {
  Sub(kCreateSpool);
  Data("spooled");
  Sub(kDeleteSpool);
  EXPECT_EQ(job()->Spooling, 0u);
  Data("printed");
  EXPECT_EQ(Port(), "printed");
  EXPECT_EQ(job()->JobError, 0u);
}

TEST_F(SpoolFileTest, AbandoningTheSpoolCancelsAllFurtherOutput) {
  SpoolPages(1);
  const std::string name = job()->SpoolFileName;
  Sub(kAbandonSpool);
  EXPECT_TRUE(IsJobOutputCancelled(job()));
  EXPECT_FALSE(machine_.FileExists(name));
  Data("dropped");
  Write(SpoolRecord(kReplay));
  EXPECT_EQ(Port(), "");
}

TEST_F(SpoolFileTest, ASecondSpoolRemovesTheFirstEvenWithItsReaderOpen) {
  SpoolPages(2);
  const std::string first = job()->SpoolFileName;
  Sub(kOpenReplay);
  Sub(kCreateSpool);
  EXPECT_FALSE(machine_.FileExists(first));
  EXPECT_NE(std::string(job()->SpoolFileName), first);
  EXPECT_EQ(job()->ReplayBuffer, nullptr);
  EXPECT_EQ(job()->PageIndex.PageCount, 0);
  EXPECT_EQ(job()->IndexMarks, 0u);
  Sub(kMarkHeader);
  Data("second");
  Sub(kEndSpooling);
  Sub(kReplay);
  EXPECT_EQ(Port(), "second");
}

TEST_F(SpoolFileTest, DeletingTheSpoolClosesAReaderLeftOpen) {
  SpoolPages(1);
  const std::string name = job()->SpoolFileName;
  Sub(kOpenReplay);
  Sub(kDeleteSpool);
  EXPECT_FALSE(machine_.FileExists(name));
  EXPECT_EQ(job()->ReplayBuffer, nullptr);
}

TEST_F(SpoolFileTest, ClosingTheJobDeletesTheFileEvenWithItsReaderOpen) {
  SpoolPages(1);
  const std::string name = job()->SpoolFileName;
  Sub(kOpenReplay);
  CloseJob();
  EXPECT_FALSE(machine_.FileExists(name));
}

// The host machine counts what is open; a job that spooled and replayed without 102 gives
// back every block and handle when it closes.
TEST_F(SpoolFileTest, ClosingTheJobGivesBackTheIndexAndTheReader) {
  CloseJob();
  const long blocks = machine_.HeapBlockCount();
  const long handles = machine_.OpenHandleCount();
  if (blocks < 0 || handles < 0) GTEST_SKIP() << "this platform does not count its resources";
  SetUp();
  SpoolPages(120);
  Sub(kOpenReplay);
  CloseJob();
  EXPECT_EQ(machine_.HeapBlockCount(), blocks);
  EXPECT_EQ(machine_.OpenHandleCount(), handles);
}

// The index's three blocks (pages, pass sections, cycle sections) and the replay buffer: a
// block that cannot be had fails its subcommand and cancels the output, and the job still
// gives back all it holds when it closes.
TEST_F(SpoolFileTest, AnIndexOrReplayBufferThatCannotBeHadFailsItsSubcommand) {
  struct AllocationFault {
    std::uint32_t subcommand;
    unsigned allocation;  // which HeapAlloc of the subcommand fails
  };
  const AllocationFault cases[] = {
      {kCreateSpool, 1}, {kCreateSpool, 2}, {kCreateSpool, 3}, {kOpenReplay, 1}};
  CloseJob();
  const long blocks = machine_.HeapBlockCount();
  const long handles = machine_.OpenHandleCount();
  for (const AllocationFault& fault : cases) {
    SCOPED_TRACE(::testing::Message() << fault.subcommand << " allocation " << fault.allocation);
    SetUp();
    if (fault.subcommand == kOpenReplay) SpoolPages(1);
    machine_.faults().Reset();
    machine_.faults().FailCall("HeapAlloc", fault.allocation);
    const Written result = Write(SpoolRecord(fault.subcommand));
    machine_.faults().Reset();
    EXPECT_FALSE(result.result);
    EXPECT_EQ(result.written, 0u);
    EXPECT_TRUE(IsJobOutputCancelled(job()));
    EXPECT_FALSE(IsReplayOpen(job()));
    EXPECT_FALSE(Write(SpoolRecord(kMarkHeader)).result);
    const std::string name = job()->SpoolFileName;
    CloseJob();
    if (!name.empty()) {
      EXPECT_FALSE(machine_.FileExists(name));
    }
    if (blocks >= 0) {
      EXPECT_EQ(machine_.HeapBlockCount(), blocks);
    }
    if (handles >= 0) {
      EXPECT_EQ(machine_.OpenHandleCount(), handles);
    }
  }
  SetUp();
}

struct ShortRecord {
  const char* what;
  Record record;
};

// Records too short for what their subcommand reads fail with 0 written and change nothing,
// not even the output.
TEST_F(SpoolFileTest, RecordsTooShortForTheirFieldsChangeNothing) {
  SpoolPages(1);
  const ShortRecord cases[] = {
      {"no subcommand", Record(2)},
      {"page of 135 missing", Record(2).U32(kReplayLead)},
      {"case of 103 missing", Record(2).U32(kSetParameters)},
      {"case 0 without its options", SpoolRecord(kSetParameters, 0, {1, 0, 5})},
      {"case 1 without pages per side", SpoolRecord(kSetParameters, 1, {1})},
      {"case 4 without the interleaf bin", SpoolRecord(kSetParameters, 4, {1, 2, 3, 4})},
  };
  for (const ShortRecord& entry : cases) {
    SCOPED_TRACE(entry.what);
    const Written result = Write(entry.record);
    EXPECT_FALSE(result.result);
    EXPECT_EQ(result.written, 0u);
  }
  EXPECT_FALSE(IsJobOutputCancelled(job()));
  EXPECT_EQ(job()->ReplayMode, 0u);
  EXPECT_EQ(job()->DuplexMode, 0u);
  EXPECT_EQ(job()->DefaultBin, 0);
  EXPECT_EQ(Port(), "");
}

TEST_F(SpoolFileTest, UnknownSubcommandsAreAcceptedWithTheWholeRecord) {
  for (std::uint32_t subcommand : {0u, 99u, 109u, 124u, 137u}) {
    const Written result = Write(SpoolRecord(subcommand));
    EXPECT_TRUE(result.result) << subcommand;
    EXPECT_EQ(result.written, 16u) << subcommand;
  }
  EXPECT_FALSE(IsJobOutputCancelled(job()));
}

TEST_F(SpoolFileTest, ReplayParametersAreStoredByCase) {
  // A 16-bit field takes the low two bytes of its slot.
  Set(0, {1, 0xFFFF, 0xABCD0003, 0x1000});
  EXPECT_EQ(job()->ReplayMode, 1u);
  EXPECT_EQ(job()->Copies, 3);
  EXPECT_EQ(job()->ReplayOptions, 0x1000u);
  Set(1, {4, 0x0001FFFE, 9});
  EXPECT_EQ(job()->DuplexMode, 4u);
  EXPECT_EQ(job()->PagesPerSide, -2);
  Set(2, {1, 7});
  EXPECT_EQ(job()->Collate, 1u);
  EXPECT_EQ(job()->ReverseOrder, 7u);
  Set(3, {2, 3});
  EXPECT_EQ(job()->InterleafOptions, 2u);
  EXPECT_EQ(job()->PaperSourceMode, 3);
  Set(4, {7, 1, 2, 0x8000, 264});
  EXPECT_EQ(job()->DefaultBin, 7);
  EXPECT_EQ(job()->FirstBin, 1);
  EXPECT_EQ(job()->SecondBin, 2);
  EXPECT_EQ(job()->LastBin, -32768);
  EXPECT_EQ(job()->InterleafBin, 264);
  // Another case stores nothing and succeeds.
  Set(5, {9, 9, 9, 9, 9});
  EXPECT_EQ(job()->ReplayMode, 1u);
  EXPECT_EQ(job()->DuplexMode, 4u);
}

}  // namespace
}  // namespace spoolhook::testing
