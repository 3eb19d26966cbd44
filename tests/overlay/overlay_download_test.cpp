// Record 0x1050 subcommands 10, 11 and 12: the download command, the form data in blocks of
// 4096 bytes and the size text, as the port receives them; and the record's own rules.
#include "overlay/overlay_download.h"

#include <gtest/gtest.h>

#include "jobinfo/driver_block.h"
#include "overlay_test_support.h"
#include "support/job_fixture.h"

namespace spoolhook::testing {
namespace {

// A plain data wrapper without a tag, not final, whose length field (the data length + 1,
// big-endian) is `length`.
std::string Wrapper(const std::string& length) {
  return std::string("\xCD\xCA\x10\x02\x00\x1A\x00\x01", 8) + length +
         std::string("\xFF\xFF\x00\x00\x00\x00\x00\x00\x00\x00\x01", 11);
}

class OverlayDownloadTest : public JobTest {
 protected:
  std::string Path(int slot) const { return machine_.Folder() + "FORM" + std::to_string(slot); }
  void Fill(int slot, const std::string& bytes) {
    ASSERT_TRUE(machine_.WriteFileBytes(Path(slot), bytes));
    Name(slot);
  }
  // The slot names a file that is not there.
  void Name(int slot) { ASSERT_TRUE(Write(StringRecord(3, Path(slot), slot)).result); }
  void WrapData() { GetDriverBlock(job())->DataWrapperOn = 1; }
  // A record that must report its 20 bytes whatever its result.
  BOOL Download(std::uint32_t subcommand, std::uint32_t slot, std::uint32_t extension = 0) {
    const Written result = Write(OverlayDownloadRecord(subcommand, slot, extension));
    EXPECT_EQ(result.written, 20u);
    return result.result;
  }
};

TEST_F(OverlayDownloadTest, TheCommandAnnouncesBlockExtensionAndFormData) {
  Fill(0, OverlayFile(std::string(10000, 'F')));
  EXPECT_TRUE(Download(10, 0, 5));
  EXPECT_EQ(machine_.PortBytes(), std::string("\x1B[10017;0.w"
                                              "\x00\x00\x00\x11\x00\x00\x00\x00\x00\x53\x00\x05",
                                              23));
}

TEST_F(OverlayDownloadTest, TheBlockCarriesTheLowSixteenBitsOfTheExtension) {
  // 12 + 0x12345 = 74577 (0x12351); no form data.
  Fill(2, OverlayFile(""));
  EXPECT_TRUE(Download(10, 2, 0x12345));
  EXPECT_EQ(machine_.PortBytes(), std::string("\x1B[74577;0.w"
                                              "\x00\x01\x23\x51\x00\x00\x00\x00\x00\x53\x23\x45",
                                              23));
}

TEST_F(OverlayDownloadTest, TheCommandGoesInOnePieceBehindOneWrapper) {
  Fill(0, OverlayFile(std::string(10000, 'F')));
  WrapData();
  EXPECT_TRUE(Download(10, 0, 5));
  // 11 bytes of text and the 12-byte block: 23, so the length field says 24.
  EXPECT_EQ(machine_.PortBytes(),
            Wrapper(std::string("\x00\x18", 2)) +
                std::string("\x1B[10017;0.w\x00\x00\x00\x11\x00\x00\x00\x00\x00\x53\x00\x05", 23));
}

TEST_F(OverlayDownloadTest, CommandAndSizeTextFailWithoutAFormAndTheJobGoesOn) {
  Name(1);                                                   // a file that is not there
  Fill(2, OverlayFile("", std::string("Mirak\0", 6), 400));  // data offset past the end
  Fill(3, OverlayFile("FORM"));
  const struct {
    const char* name;
    std::uint32_t subcommand;
    std::uint32_t slot;
    std::uint32_t extension;
    DWORD error;
  } cases[] = {
      {"command, empty slot", 10, 0, 0, 0},
      {"command, no file", 10, 1, 0, 32},
      {"command, bad offset", 10, 2, 0, 0},
      {"command, slot 8", 10, 8, 0, 0},
      {"command, slot -1", 10, 0xFFFFFFFF, 0, 0},
      // 12 + 0x7FFFFFF0 + 4 does not fit a signed 32-bit number.
      {"command, size too big", 10, 3, 0x7FFFFFF0, 0},
      {"size, empty slot", 12, 0, 0, 0},
      {"size, no file", 12, 1, 0, 32},
      {"size, bad offset", 12, 2, 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(Download(c.subcommand, c.slot, c.extension)) << c.name;
    EXPECT_EQ(job()->JobError, c.error) << c.name;
    EXPECT_FALSE(IsJobOutputCancelled(job())) << c.name;
  }
  EXPECT_EQ(machine_.PortBytes(), "");
  // The largest size that fits is still sent.
  EXPECT_TRUE(Download(10, 3, 0x7FFFFFEF));
  EXPECT_EQ(machine_.PortBytes(),
            std::string("\x1B[2147483647;0.w\x7F\xFF\xFF\xFB\x00\x00\x00\x00\x00\x53\xFF\xEF", 28));
}

TEST_F(OverlayDownloadTest, TheSizeTextIsTheDataLengthInDigits) {
  Fill(0, OverlayFile(std::string(4096, 'F')));
  Fill(1, OverlayFile(""));
  // 13 bytes of junk between the header and a data offset of 400.
  Fill(2, OverlayFile(std::string(13, 'j') + "0123456789", std::string("Mirak\0", 6), 400));
  EXPECT_TRUE(Download(12, 0));
  EXPECT_TRUE(Download(12, 1));
  EXPECT_TRUE(Download(12, 2));
  EXPECT_EQ(machine_.PortBytes(),
            "4096"
            "0"
            "10");
}

TEST_F(OverlayDownloadTest, FormDataGoOutInBlocksOf4096Bytes) {
  std::string data;
  for (int i = 0; i < 8192; ++i) data += static_cast<char>('A' + i % 23);
  const struct {
    const char* name;
    std::string form;
    std::string port;  // each block behind its wrapper
  } cases[] = {
      {"two whole blocks and an empty one", data,
       Wrapper("\x10\x01") + data.substr(0, 4096) + Wrapper("\x10\x01") + data.substr(4096) +
           Wrapper(std::string("\x00\x01", 2))},
      {"one short block", data.substr(0, 100),
       Wrapper(std::string("\x00\x65", 2)) + data.substr(0, 100)},
      {"no data: one empty block", "", Wrapper(std::string("\x00\x01", 2))},
      {"one byte over a block", data.substr(0, 4097),
       Wrapper("\x10\x01") + data.substr(0, 4096) + Wrapper(std::string("\x00\x02", 2)) +
           data.substr(4096, 1)},
  };
  WrapData();
  for (const auto& c : cases) {
    const std::string before = machine_.PortBytes();
    Fill(4, OverlayFile(c.form));
    EXPECT_TRUE(Download(11, 4)) << c.name;
    EXPECT_EQ(machine_.PortBytes().substr(before.size()), c.port) << c.name;
    EXPECT_TRUE(NobodyHolds(machine_, Path(4))) << c.name;
  }
}

TEST_F(OverlayDownloadTest, FormDataStartAtTheDataOffsetWhateverTheStoredLength) {
  std::string file = OverlayFile("skipFORM", std::string("Mirak\0", 6), 391);
  file.replace(4, 4, std::string("\x40\x00\x00\x00", 4));  // a stored length of 64
  Fill(0, file);
  EXPECT_TRUE(Download(11, 0));
  EXPECT_EQ(machine_.PortBytes(), "FORM");
}

TEST_F(OverlayDownloadTest, FormDataWithoutAPathFailWithoutEndingTheJob) {
  for (std::uint32_t slot : {0u, 8u, 0xFFFFFFFFu}) {
    EXPECT_FALSE(Download(11, slot)) << slot;
    EXPECT_FALSE(IsJobOutputCancelled(job())) << slot;
  }
}

TEST_F(OverlayDownloadTest, AFormThatCannotBeReadEndsTheJobsOutput) {
  const struct {
    const char* name;
    std::string file;  // none: the file is not there
    const char* fail;  // a call that fails, or none
    unsigned failAt;
  } cases[] = {
      {"no file", "", nullptr, 0},
      {"no whole data offset", std::string("\x83\x01\x00", 3), nullptr, 0},
      {"a data offset beyond 2 GiB", OverlayFile("FORM", std::string("Mirak\0", 6), 0x80000000u),
       nullptr, 0},
      {"the move fails", OverlayFile("FORM"), "SetFilePointer", 1},
      {"a block read fails", OverlayFile(std::string(5000, 'F')), "ReadFile", 3},
  };
  for (const auto& c : cases) {
    CloseJob();
    SetUp();
    if (c.file.empty()) {
      Name(5);
    } else {
      Fill(5, c.file);
    }
    machine_.faults().Reset();
    if (c.fail) machine_.faults().FailCall(c.fail, c.failAt);
    const std::string before = machine_.PortBytes();
    EXPECT_FALSE(Download(11, 5)) << c.name;
    machine_.faults().Reset();
    EXPECT_TRUE(IsJobOutputCancelled(job())) << c.name;
    EXPECT_TRUE(c.file.empty() || NobodyHolds(machine_, Path(5))) << c.name;
    // Only whole blocks read before the failure went out.
    EXPECT_EQ(machine_.PortBytes().size() - before.size(), c.failAt == 3 ? 4096u : 0u) << c.name;
  }
}

TEST_F(OverlayDownloadTest, AShortReadOfTheDataOffsetEndsTheJobsOutput) {
  Fill(0, OverlayFile("FORM"));
  machine_.faults().Reset();
  machine_.faults().ShortenCall("ReadFile", 1);
  EXPECT_FALSE(Download(11, 0));
  EXPECT_TRUE(IsJobOutputCancelled(job()));
  EXPECT_TRUE(NobodyHolds(machine_, Path(0)));
  EXPECT_EQ(machine_.PortBytes(), "");
}

TEST_F(OverlayDownloadTest, AfterTheOutputEndedEverySendIsDroppedAndSucceeds) {
  Fill(0, OverlayFile("FORM"));
  CancelJobOutput(job());
  EXPECT_TRUE(Download(10, 0));
  EXPECT_TRUE(Download(11, 0));
  EXPECT_TRUE(Download(12, 0));
  EXPECT_EQ(machine_.PortBytes(), "");
}

TEST_F(OverlayDownloadTest, RecordsTooShortForTheirFieldsDoNothing) {
  Fill(0, OverlayFile("FORM"));
  const long handles = machine_.OpenHandleCount();
  const struct {
    const char* name;
    Record record;
  } cases[] = {
      {"no subcommand", Record(0x1050).Bytes("\x0A\x00\x00")},
      {"command without its extension length", Record(0x1050).U32(10).U32(0).Bytes("\x05\x00")},
      {"data without the slot", Record(0x1050).U32(11).Bytes(std::string(3, '\0'))},
      {"size text without the slot", Record(0x1050).U32(12).Bytes(std::string(3, '\0'))},
      {"report without its flag", Record(0x1050).U32(14).Bytes(std::string(3, '\0'))},
      {"check without its last field", Record(0x1050).U32(13).Bytes(std::string(45 - 12, '\0'))},
  };
  for (const auto& c : cases) {
    const Written result = Write(c.record);
    EXPECT_FALSE(result.result) << c.name;
    EXPECT_EQ(result.written, 0u) << c.name;
  }
  EXPECT_EQ(machine_.PortBytes(), "");
  EXPECT_EQ(GetOverlayStatus(job(), 0), 0u);
  EXPECT_EQ(machine_.OpenHandleCount(), handles);
  // A subcommand the record does not know needs nothing behind it.
  const Written unknown = Write(Record(0x1050).U32(15));
  EXPECT_TRUE(unknown.result);
  EXPECT_EQ(unknown.written, 12u);
}

}  // namespace
}  // namespace spoolhook::testing
