// The overlay files a job uses: their headers, signatures and data lengths, and the
// signature check of subcommand 53 over the eight slots.
#include "overlay/overlay_files.h"

#include <gtest/gtest.h>

#include "overlay_test_support.h"
#include "support/job_fixture.h"
#include "support/popup_recorder.h"

namespace spoolhook::testing {
namespace {

constexpr DWORD kUntouched = 0xAA;

class OverlayFilesTest : public JobTest {
 protected:
  std::string Path(int slot) const { return machine_.Folder() + "SLOT" + std::to_string(slot); }
  // Slot `slot` names a file holding `bytes` (none: a file that is not there).
  void Fill(int slot, const std::string* bytes) {
    if (bytes) {
      ASSERT_TRUE(machine_.WriteFileBytes(Path(slot), *bytes));
    }
    ASSERT_TRUE(Write(StringRecord(3, Path(slot), slot)).result);
  }
  void Fill(int slot, const std::string& bytes) { Fill(slot, &bytes); }
  void PresetStatus(DWORD value) {
    for (int slot = 0; slot < kOverlaySlots; ++slot) SetOverlayStatus(job(), slot, value);
  }
  std::vector<DWORD> Statuses() {
    std::vector<DWORD> words;
    for (int slot = 0; slot < kOverlaySlots; ++slot) words.push_back(GetOverlayStatus(job(), slot));
    return words;
  }

  PopupRecorder popups_;
};

TEST_F(OverlayFilesTest, TheSignatureIsAllSixBytes) {
  const struct {
    const char* name;
    std::string file;
    DWORD status;
    DWORD code;
  } cases[] = {
      {"an overlay file", OverlayFile(), 0, 0},
      {"just a header", OverlayFile(""), 0, 0},
      {"Mirak without its zero", OverlayFile("", std::string("Mirak!", 6)), 1, 0},
      {"another case", OverlayFile("", std::string("mirak\0", 6)), 1, 0},
      {"386 bytes", OverlayFile("").substr(0, 386), 7, 33},
      {"an empty file", "", 7, 33},
  };
  for (const auto& c : cases) {
    Fill(0, c.file);
    job()->ErrorLatched = 0;
    EXPECT_EQ(CheckOverlaySignature(job(), 0), c.status) << c.name;
    EXPECT_EQ(job()->JobError, c.code) << c.name;
    EXPECT_EQ(job()->ErrorLatched, c.code ? 1u : 0u) << c.name;
    EXPECT_TRUE(NobodyHolds(machine_, Path(0))) << c.name;
  }
}

TEST_F(OverlayFilesTest, SlotsWithoutAReadableFile) {
  Fill(1, nullptr);
  EXPECT_EQ(CheckOverlaySignature(job(), 1), 7u);
  EXPECT_EQ(job()->JobError, 32u);
  EXPECT_EQ(job()->ErrorLatched, 1u);
  // An empty slot leaves no code.
  EXPECT_EQ(CheckOverlaySignature(job(), 2), 7u);
  EXPECT_EQ(job()->JobError, 0u);
}

TEST_F(OverlayFilesTest, ReadOverlayHeaderRefusesWhatItCannotServe) {
  Fill(0, OverlayFile());
  BYTE header[387] = {};
  job()->JobError = 99;
  EXPECT_FALSE(ReadOverlayHeader(job(), 0, nullptr));
  EXPECT_FALSE(ReadOverlayHeader(job(), 8, header));
  EXPECT_FALSE(ReadOverlayHeader(job(), -1, header));
  EXPECT_EQ(job()->JobError, 99u);
  ASSERT_TRUE(ReadOverlayHeader(job(), 0, header));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(header), 387), OverlayFile(""));
  EXPECT_EQ(job()->JobError, 0u);
}

TEST_F(OverlayFilesTest, DataLengthIsMeasuredFromTheFile) {
  const struct {
    const char* name;
    std::string file;
    LONG length;
  } cases[] = {
      {"form data behind the header", OverlayFile(std::string(100, 'F')), 100},
      {"the data offset of the file",
       OverlayFile(std::string(13, 'F'), std::string("Mirak\0", 6), 390), 10},
      {"a data offset at the end", OverlayFile("", std::string("Mirak\0", 6), 387), 0},
      {"a data offset past the end", OverlayFile("", std::string("Mirak\0", 6), 388), -1},
      {"no room for the offsets", std::string("\x05\0\0\0\0\0\0", 7), -1},
  };
  for (const auto& c : cases) {
    Fill(3, c.file);
    EXPECT_EQ(GetOverlayDataLength(job(), 3), c.length) << c.name;
    EXPECT_TRUE(NobodyHolds(machine_, Path(3))) << c.name;
  }
  EXPECT_EQ(job()->JobError, 0u);
  EXPECT_EQ(GetOverlayDataLength(job(), 4), -1);  // empty slot
  EXPECT_EQ(GetOverlayDataLength(job(), 8), -1);
  Fill(5, nullptr);
  EXPECT_EQ(GetOverlayDataLength(job(), 5), -1);
  EXPECT_EQ(job()->JobError, 32u);
  EXPECT_EQ(job()->ErrorLatched, 1u);
}

TEST(OverlayErrorCode, MapsNotAnOverlayAndThePageWarning) {
  EXPECT_EQ(OverlayErrorCode(1), 48u);
  EXPECT_EQ(OverlayErrorCode(0x10000), 64u);
  EXPECT_EQ(OverlayErrorCode(0x10000 | 7), 64u);
  EXPECT_EQ(OverlayErrorCode(0), 0u);
  EXPECT_EQ(OverlayErrorCode(7), 0u);
}

TEST_F(OverlayFilesTest, TheScanStopsAtTheFirstEmptySlot) {
  PresetStatus(kUntouched);
  Fill(0, OverlayFile());
  Fill(1, OverlayFile());
  Fill(3, "not looked at");
  const Written result = Write(OverlayRecord(53));
  EXPECT_TRUE(result.result);
  EXPECT_EQ(result.written, 20u);
  EXPECT_EQ(Statuses(), (std::vector<DWORD>{0, 0, 7, kUntouched, kUntouched, kUntouched, kUntouched,
                                            kUntouched}));
  EXPECT_EQ(job()->JobError, 0u);
  EXPECT_TRUE(popups_.messages.empty());
}

TEST_F(OverlayFilesTest, AnEmptyFirstSlotEndsTheScanAtOnce) {
  PresetStatus(kUntouched);
  Fill(1, OverlayFile());
  EXPECT_TRUE(Write(OverlayRecord(53)).result);
  EXPECT_EQ(GetOverlayStatus(job(), 0), 7u);
  EXPECT_EQ(GetOverlayStatus(job(), 1), kUntouched);
}

TEST_F(OverlayFilesTest, AMissingFileEndsTheScanButNotTheJob) {
  Fill(0, nullptr);
  Fill(1, OverlayFile());
  const Written result = Write(OverlayRecord(53));
  EXPECT_TRUE(result.result);
  EXPECT_EQ(result.written, 20u);
  EXPECT_EQ(GetOverlayStatus(job(), 0), 7u);
  EXPECT_EQ(job()->JobError, 32u);
  EXPECT_EQ(job()->ErrorLatched, 1u);
  EXPECT_FALSE(IsJobOutputCancelled(job()));
  EXPECT_TRUE(popups_.messages.empty());
}

TEST_F(OverlayFilesTest, AFileThatIsNotAnOverlayFailsTheJob) {
  Fill(0, OverlayFile());
  Fill(1, std::string(400, 'x'));
  Fill(2, OverlayFile());
  const Written result = Write(OverlayRecord(53, 1));
  EXPECT_FALSE(result.result);
  EXPECT_EQ(result.written, 0u);
  EXPECT_EQ(Statuses(), (std::vector<DWORD>{0, 1, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(job()->JobError, 48u);
  EXPECT_EQ(job()->ErrorLatched, 1u);
  EXPECT_TRUE(IsJobOutputCancelled(job()));
  EXPECT_EQ(popups_.Texts(),
            std::vector<std::u16string>{
                u"Information from the ZEMT4 printer driver.\n\nUnable to use the specified "
                u"Overlay form.\n\nThe specified file is not an Overlay file or is unavailable."});
}

TEST_F(OverlayFilesTest, PageWarningsOfEarlierChecksFailUnlessAccepted) {
  const struct {
    DWORD accept;
    bool fails;
  } cases[] = {{0, true}, {2, true}, {1, false}};
  for (const auto& c : cases) {
    CloseJob();
    SetUp();
    popups_.messages.clear();
    Fill(0, OverlayFile());
    // Slot 5 lies past the stopping point and still carries an earlier check's warning.
    SetOverlayStatus(job(), 5, 0x10000);
    const Written result = Write(OverlayRecord(53, c.accept));
    EXPECT_EQ(result.result, c.fails ? FALSE : TRUE) << c.accept;
    EXPECT_EQ(job()->JobError, c.fails ? 64u : 0u) << c.accept;
    EXPECT_EQ(popups_.messages.size(), c.fails ? 1u : 0u) << c.accept;
  }
}

TEST_F(OverlayFilesTest, APageWarningIsToldWithItsMessage) {
  Fill(0, OverlayFile());
  SetOverlayStatus(job(), 0, 0x10000);  // overwritten by the scan: no warning there
  SetOverlayStatus(job(), 7, 0x10000);
  EXPECT_FALSE(Write(OverlayRecord(53)).result);
  EXPECT_EQ(popups_.Texts(), std::vector<std::u16string>{
                                 u"Information from the ZEMT4 printer driver.\n\nPage Size or "
                                 u"Orientation setting is different from the setting for the "
                                 u"current Overlay file."});
}

TEST_F(OverlayFilesTest, AnEarlierFailureOrCancellationRefusesTheCheck) {
  Fill(0, OverlayFile());
  PresetStatus(kUntouched);
  job()->ErrorLatched = 1;
  EXPECT_FALSE(Write(OverlayRecord(53)).result);
  EXPECT_EQ(job()->JobError, 0u);
  job()->ErrorLatched = 0;
  CancelJobOutput(job());
  EXPECT_FALSE(Write(OverlayRecord(53)).result);
  EXPECT_EQ(Statuses(), std::vector<DWORD>(8, kUntouched));
}

}  // namespace
}  // namespace spoolhook::testing
