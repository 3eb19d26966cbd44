#include <gtest/gtest.h>

#include "support/job_fixture.h"

namespace spoolhook::testing {
namespace {

using StringRecordTest = JobTest;

TEST_F(StringRecordTest, StoresTheNewOverlayPath) {
  const Record record = StringRecord(2, "C:\\FORMS\\NEW.OVL");
  const Written result = Write(record);
  EXPECT_TRUE(result.result);
  EXPECT_EQ(result.written, record.size());
  EXPECT_STREQ(GetNewOverlayPath(job()), "C:\\FORMS\\NEW.OVL");
}

TEST_F(StringRecordTest, StoresEachOverlayPathByIndex) {
  for (std::uint32_t index = 0; index < 8; ++index) {
    ASSERT_TRUE(Write(StringRecord(3, "F" + std::to_string(index), index)).result);
  }
  EXPECT_STREQ(GetOverlayPath(job(), 0), "F0");
  EXPECT_STREQ(GetOverlayPath(job(), 7), "F7");
}

TEST_F(StringRecordTest, AnIndexOutsideTheSlotsIsRefused) {
  for (std::uint32_t index : {8u, 9u, 0xFFFFFFFFu}) {
    const Written result = Write(StringRecord(3, "C:\\X.OVL", index));
    EXPECT_FALSE(result.result);
    EXPECT_EQ(result.written, 0u);
  }
  for (int index = 0; index < 8; ++index) EXPECT_EQ(GetOverlayPath(job(), index), nullptr);
}

TEST_F(StringRecordTest, AnEmptyTextEmptiesTheSlotAndFails) {
  ASSERT_TRUE(Write(StringRecord(2, "C:\\OLD.OVL")).result);
  ASSERT_TRUE(Write(StringRecord(3, "C:\\OLD.OVL", 4)).result);
  for (const Record& record : {StringRecord(2, ""), StringRecord(3, "", 4)}) {
    const Written result = Write(record);
    EXPECT_FALSE(result.result);
    EXPECT_EQ(result.written, record.size());
  }
  EXPECT_EQ(job()->NewOverlayPath, nullptr);
  EXPECT_EQ(job()->OverlayPaths[4], nullptr);
}

TEST_F(StringRecordTest, AnEmptyCapturePathEmptiesTheSlotAndFails) {
  ASSERT_TRUE(Write(CapturePathRecord(u"C:\\A.PRN")).result);
  const Record record = CapturePathRecord(u"");
  const Written result = Write(record);
  EXPECT_FALSE(result.result);
  EXPECT_EQ(result.written, record.size());
  EXPECT_EQ(job()->CapturePath, nullptr);
}

TEST_F(StringRecordTest, SubcommandOneOnlyChecksItsText) {
  EXPECT_TRUE(Write(StringRecord(1, "anything")).result);
  const Record empty = StringRecord(1, "");
  const Written result = Write(empty);
  EXPECT_FALSE(result.result);
  EXPECT_EQ(result.written, empty.size());
}

TEST_F(StringRecordTest, AWrongFormatOrUnlistedSubcommandFailsWithTheWholeRecordWritten) {
  for (const Record& record : {StringRecord(2, "C:\\X.OVL", 0, 2), StringRecord(4, "C:\\X.OVL"),
                               StringRecord(0, "C:\\X.OVL")}) {
    const Written result = Write(record);
    EXPECT_FALSE(result.result);
    EXPECT_EQ(result.written, record.size());
  }
  EXPECT_EQ(job()->NewOverlayPath, nullptr);
}

TEST_F(StringRecordTest, ACapturePathMayStartAtAnOddAddress) {
  ASSERT_TRUE(Write(SettingsRecord(2, OUTPUT_CAPTURE | OUTPUT_DELETE_CAPTURE)).result);
  const std::string path = machine_.Folder() + "ODD.PRN";
  std::string bytes = " " + CapturePathRecord(Wide(path)).bytes();
  DWORD written = 0;
  EXPECT_TRUE(DrvSplWritePrinter(handle_, bytes.data() + 1, static_cast<DWORD>(bytes.size() - 1),
                                 &written));
  EXPECT_EQ(std::u16string(job()->CapturePath), Wide(path));
  EXPECT_NE(job()->CaptureFile, INVALID_HANDLE_VALUE);
}

// A text whose terminator lies past the byte count, or a record too short for its fields,
// fails with nothing written and nothing changed.
TEST_F(StringRecordTest, TruncatedRecordsFailAndChangeNothing) {
  ASSERT_TRUE(Write(StringRecord(2, "C:\\KEEP.OVL")).result);
  ASSERT_TRUE(Write(CapturePathRecord(u"C:\\KEEP.PRN")).result);
  const Record records[] = {StringRecord(2, "C:\\NEW.OVL"), StringRecord(3, "C:\\NEW.OVL", 1),
                            StringRecord(1, "text"), CapturePathRecord(u"C:\\NEW.PRN")};
  for (const Record& record : records) {
    // Without the terminator, and cut before the format tag, subcommand and index.
    for (DWORD size : {record.size() - 1, 10u, 15u, 19u}) {
      std::string bytes = record.bytes().substr(0, size);
      DWORD written = 99;
      EXPECT_FALSE(DrvSplWritePrinter(handle_, bytes.data(), size, &written)) << size;
      EXPECT_EQ(written, 0u) << size;
    }
  }
  EXPECT_STREQ(job()->NewOverlayPath, "C:\\KEEP.OVL");
  EXPECT_EQ(job()->OverlayPaths[1], nullptr);
  EXPECT_EQ(std::u16string(job()->CapturePath), u"C:\\KEEP.PRN");
}

}  // namespace
}  // namespace spoolhook::testing
