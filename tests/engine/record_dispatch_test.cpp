#include "engine/record_dispatch.h"

#include <gtest/gtest.h>

#include "support/inaccessible_memory.h"
#include "support/job_fixture.h"

namespace spoolhook::testing {
namespace {

using RecordDispatchTest = JobTest;

TEST_F(RecordDispatchTest, BuffersTooShortForAnIdAreAcceptedUntouched) {
  DWORD written = 1234;
  char bytes[3] = {0, 0, 0};
  EXPECT_TRUE(DrvSplWritePrinter(handle_, bytes, 3, &written));
  EXPECT_TRUE(DrvSplWritePrinter(handle_, nullptr, 100, &written));
  EXPECT_EQ(written, 1234u);
  EXPECT_EQ(machine_.PortBytes(), "");
}

TEST_F(RecordDispatchTest, RawDataReportsThePayloadWrittenPlusTheHead) {
  const std::string payload(100, 'x');
  const Written result = Write(RawDataRecord(payload));
  EXPECT_TRUE(result.result);
  EXPECT_EQ(result.written, 108u);
  EXPECT_EQ(machine_.PortBytes(), payload);
}

TEST_F(RecordDispatchTest, AnEmptyRawDataRecordReportsItsHead) {
  const Written result = Write(RawDataRecord(""));
  EXPECT_TRUE(result.result);
  EXPECT_EQ(result.written, 8u);
}

TEST_F(RecordDispatchTest, ARawDataRecordShorterThanItsHeadFails) {
  std::string bytes = Record(0).bytes().substr(0, 6);
  DWORD written = 77;
  EXPECT_FALSE(DrvSplWritePrinter(handle_, bytes.data(), 6, &written));
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(machine_.PortBytes(), "");
}

struct IdCase {
  DWORD id;
  DWORD expectedWritten;  // 0xFFFFFFFF: left as the spooler passed it
};

class UnhandledRecordTest : public JobTest, public ::testing::WithParamInterface<IdCase> {};

TEST_P(UnhandledRecordTest, IsAcceptedAndIgnored) {
  job()->JobError = 55;
  const Written result = Write(Record(GetParam().id).U32(100).Bytes(std::string(40, '\1')));
  EXPECT_TRUE(result.result);
  EXPECT_EQ(result.written, GetParam().expectedWritten);
  EXPECT_EQ(machine_.PortBytes(), "");
  // Engine records start with a clear error; driver records leave it as it was.
  EXPECT_EQ(job()->JobError, (GetParam().id & 0x1000) ? 55u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Ids, UnhandledRecordTest,
                         ::testing::Values(IdCase{4, 0}, IdCase{6, 0}, IdCase{0xFFF, 0},
                                           IdCase{0x2000, 0}, IdCase{0x1000, 0xFFFFFFFFu},
                                           IdCase{0x1FFF, 0xFFFFFFFFu},
                                           IdCase{0xFFFFFFFFu, 0xFFFFFFFFu}));

TEST_F(RecordDispatchTest, WithoutACountToReportIntoNothingHappens) {
  std::string bytes = RawDataRecord("data").bytes();
  EXPECT_FALSE(
      DrvSplWritePrinter(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), nullptr));
  EXPECT_EQ(machine_.PortBytes(), "");
}

// A record whose byte count reaches into memory that cannot be read: the fault happens while
// the output sink forwards the data, inside the guard.
TEST_F(RecordDispatchTest, AFaultWhileARecordIsHandledFailsOnlyThatRecord) {
  InaccessibleMemory memory;
  BYTE* record = memory.LastBytesBeforeTheHole(12);
  const std::string head = RawDataRecord("abcd").bytes();
  std::copy(head.begin(), head.end(), record);
  DWORD written = 1234;
  EXPECT_FALSE(DrvSplWritePrinter(handle_, record, 4096, &written));
  EXPECT_EQ(written, 0u);
  // The job goes on.
  EXPECT_EQ(Write(RawDataRecord("next")).written, 12u);
  EXPECT_EQ(machine_.PortBytes(), "next");
  EXPECT_FALSE(DrvSplWritePrinter(handle_, record, 4096, &written));
}

}  // namespace
}  // namespace spoolhook::testing
