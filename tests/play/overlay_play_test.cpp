// `spoolhook play` end to end with overlay files: a job that makes one, stamped with the
// frozen clock and system version; jobs that check and download two; and the pop-ups of the
// checks in the log.
#include <gtest/gtest.h>

#include "play_fixture.h"

namespace spoolhook::testing {
namespace {

const char kFormPath[] = "C:\\FORMS\\FORM.OVL";

// A 387-byte header (data offset 387, the signature, a pattern elsewhere) and the form data.
std::string Form() {
  std::string form(387, '\0');
  for (std::size_t i = 0; i < form.size(); ++i) form[i] = static_cast<char>(i % 251);
  form.replace(0, 4, std::string("\x83\x01\x00\x00", 4));
  form.replace(8, 6, std::string("Mirak\0", 6));
  return form + std::string(613, 'F');
}

// The job that creates the overlay file: path, target check, creation, data, stamp.
std::string CreatingJob(std::uint32_t scaling = 0, std::uint32_t layout = 0) {
  const std::string form = Form();
  return Data(StringRecord(2, kFormPath)) + Data(OverlayRecord(43, scaling, layout)) +
         Data(OverlayRecord(40)) + Data(RawDataRecord(form.substr(0, 300))) +
         Data(RawDataRecord(form.substr(300))) + Data(OverlayRecord(41));
}

std::string Call(int n, std::uint32_t id, bool result, std::uint32_t written) {
  return R"({"event":"call","n":)" + std::to_string(n) + R"(,"fn":"DrvSplWritePrinter","id":)" +
         std::to_string(id) + R"(,"result":)" + (result ? "true" : "false") + R"(,"written":)" +
         std::to_string(written) + "}";
}

// The log of CreatingJob, with `popups` logged during its target check.
std::vector<std::string> CreatingJobLog(const std::vector<std::string>& popups = {}) {
  std::vector<std::string> log{Call(0, 5, true, 58)};
  log.insert(log.end(), popups.begin(), popups.end());
  for (const std::string& line : {Call(1, 3, true, 20), Call(2, 3, true, 20), Call(3, 0, true, 308),
                                  Call(4, 0, true, 708), Call(5, 3, true, 20)}) {
    log.push_back(line);
  }
  return log;
}

const std::string kOverwritten =
    R"({"event":"popup","to":"FORMHOST","text":"Information from the ZEMT4 printer driver.\n\n)"
    R"(C:\\FORMS\\FORM.OVL File is overwritten."})";
const std::string kScaling =
    R"({"event":"popup","to":"FORMHOST","text":"Information from the ZEMT4 printer driver.\n\n)"
    R"(\nScaling and Page Layout settings are invalid when creating an Overlay file."})";

class OverlayPlayTest : public PlayTest {
 protected:
  void SetUp() override {
    PlayTest::SetUp();
    std::filesystem::create_directories(dir_ / "root" / "C" / "FORMS");
  }
  ToolRun PlayOnMachine(const std::string& stream, std::vector<std::string> options = {}) {
    std::vector<std::string> all{
        "--root",       Path("root"), "--time",     "2026-03-05T14:07:09.300",
        "--os-version", "10.0",       "--computer", "FORMHOST"};
    all.insert(all.end(), options.begin(), options.end());
    return Play(stream, all);
  }
  std::string FormFile() const { return ReadBytes(dir_ / "root" / "C" / "FORMS" / "FORM.OVL"); }
};

TEST_F(OverlayPlayTest, AJobBecomesAnOverlayFileStampedWithTheClockAndSystemVersion) {
  const ToolRun run = PlayOnMachine(CreatingJob());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Port(), "");
  EXPECT_EQ(Log(), CreatingJobLog());
  std::string expected = Form();
  expected.replace(4, 4, std::string("\x65\x02\x00\x00", 4));  // 1000 - 387 = 613 (0x265)
  expected.replace(75, 2, std::string("\x0A\x00", 2));         // version 10.0
  // 2026 (0x07EA), March, the 5th, a Thursday, 14:07:09, 300 ms (0x12C) cut to 8 bits.
  expected.replace(93, 9, "\xEA\x07\x03\x05\x04\x0E\x07\x09\x2C");
  EXPECT_EQ(FormFile(), expected);
}

TEST_F(OverlayPlayTest, RemakingAnOverlayFileTellsItIsOverwritten) {
  ASSERT_EQ(PlayOnMachine(CreatingJob()).status, 0);
  const ToolRun run = PlayOnMachine(CreatingJob(1, 1));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Log(), CreatingJobLog({kOverwritten, kScaling}));
  EXPECT_EQ(FormFile().size(), 1000u);
}

TEST_F(OverlayPlayTest, WithoutTheNetworkLibraryTheJobRunsTheSameWithoutPopups) {
  ASSERT_EQ(PlayOnMachine(CreatingJob()).status, 0);
  const ToolRun run = PlayOnMachine(CreatingJob(1, 1), {"--no-netapi"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Log(), CreatingJobLog());
}

TEST_F(OverlayPlayTest, AFullDiskCancelsTheCreation) {
  const ToolRun run = PlayOnMachine(
      Data(StringRecord(2, kFormPath)) + Data(OverlayRecord(43)) + Data(RawDataRecord("printed?")),
      {"--disk-free", "0"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Port(), "");
  EXPECT_EQ(Log(), (std::vector<std::string>{
                       Call(0, 5, true, 58),
                       R"({"event":"popup","to":"FORMHOST","text":"Information from the ZEMT4 )"
                       R"(printer driver.\n\nNot enough space in the disk.\n\nMake more disk )"
                       R"(space available by deleting unnecessary files, and then retry."})",
                       Call(1, 3, false, 0),
                       Call(2, 0, true, 16),
                   }));
}

TEST_F(OverlayPlayTest, AFileThatIsNotAnOverlayIsTold) {
  WriteBytes(dir_ / "root" / "C" / "FORMS" / "NOTES.TXT", std::string(400, 'n'));
  const ToolRun run =
      PlayOnMachine(Data(StringRecord(3, "C:\\FORMS\\NOTES.TXT", 0)) + Data(OverlayRecord(53)));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Log(), (std::vector<std::string>{
                       Call(0, 5, true, 59),
                       R"({"event":"popup","to":"FORMHOST","text":"Information from the ZEMT4 )"
                       R"(printer driver.\n\nUnable to use the specified Overlay form.\n\nThe )"
                       R"(specified file is not an Overlay file or is unavailable."})",
                       Call(1, 3, false, 0),
                   }));
}

// A form for download: a 387-byte header (data offset 387, the signature, colour mode 2,
// paper size 9, orientation 1, resolution 600, everything else zero) and `data`.
std::string DownloadForm(const std::string& data) {
  std::string form(387, '\0');
  form.replace(0, 4, std::string("\x83\x01\x00\x00", 4));
  form.replace(8, 6, std::string("Mirak\0", 6));
  form[62] = 2;
  form[64] = 9;
  form[68] = 1;
  form.replace(71, 2, "\x58\x02");
  return form + data;
}

// The check fields that match DownloadForm, for `slot`; `geometry` is its first page value.
Record CheckRecord(std::int16_t slot, std::uint16_t geometry = 0) {
  OverlayCheck check;
  check.orientation = 1;
  check.resolution = 600;
  check.compatibility = 1;
  check.colourMode = 2;
  check.paperSize = 9;
  check.slot = slot;
  check.geometry[0] = geometry;
  return OverlayCheckRecord(check);
}

// Download command, form data and size text of `slot`.
std::string Downloads(std::uint32_t slot, std::uint32_t extension) {
  return Data(OverlayDownloadRecord(10, slot, extension)) + Data(OverlayDownloadRecord(11, slot)) +
         Data(OverlayDownloadRecord(12, slot));
}

constexpr std::uint32_t kDownloadRecord = 0x1050;

TEST_F(OverlayPlayTest, AJobChecksAndDownloadsTwoOverlays) {
  WriteBytes(dir_ / "root" / "C" / "FORMS" / "A.OVL", DownloadForm(std::string(100, 'a')));
  WriteBytes(dir_ / "root" / "C" / "FORMS" / "B.OVL", DownloadForm(std::string(4100, 'b')));
  // B's first page value lies 13 from the job's: a page warning, told because asked for.
  const ToolRun run = PlayOnMachine(
      Data(StringRecord(3, "C:\\FORMS\\A.OVL", 0)) + Data(StringRecord(3, "C:\\FORMS\\B.OVL", 1)) +
      Data(CheckRecord(0)) + Data(CheckRecord(1, 13)) + Data(OverlayDownloadRecord(14, 1)) +
      Downloads(0, 0) + Downloads(1, 2));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Log(), (std::vector<std::string>{
                       Call(0, 5, true, 55),
                       Call(1, 5, true, 55),
                       Call(2, kDownloadRecord, true, 46),
                       Call(3, kDownloadRecord, true, 46),
                       R"({"event":"popup","to":"FORMHOST","text":"Information from the ZEMT4 )"
                       R"(printer driver.\n\nPage Size or Orientation setting is different from )"
                       R"(the setting for the current Overlay file."})",
                       Call(4, kDownloadRecord, true, 20),
                       Call(5, kDownloadRecord, true, 20),
                       Call(6, kDownloadRecord, true, 20),
                       Call(7, kDownloadRecord, true, 20),
                       Call(8, kDownloadRecord, true, 20),
                       Call(9, kDownloadRecord, true, 20),
                       Call(10, kDownloadRecord, true, 20),
                   }));
  // A: n = 12 + 0 + 100; B: n = 12 + 2 + 4100, its data in a block of 4096 and one of 4.
  EXPECT_EQ(Port(),
            std::string("\x1B[112;0.w\x00\x00\x00\x0C\x00\x00\x00\x00\x00\x53\x00\x00", 21) +
                std::string(100, 'a') + "100" +
                std::string("\x1B[4114;0.w\x00\x00\x00\x0E\x00\x00\x00\x00\x00\x53\x00\x02", 22) +
                std::string(4100, 'b') + "4100");
}

TEST_F(OverlayPlayTest, AMissingOverlayIsToldByNameAndNothingIsDownloaded) {
  WriteBytes(dir_ / "root" / "C" / "FORMS" / "A.OVL", DownloadForm("form"));
  const ToolRun run =
      PlayOnMachine(Data(StringRecord(3, "C:\\FORMS\\A.OVL", 0)) +
                    Data(StringRecord(3, "C:\\FORMS\\GONE.OVL", 1)) + Data(CheckRecord(0)) +
                    Data(CheckRecord(1)) + Data(OverlayDownloadRecord(14, 1)) + Downloads(0, 0) +
                    Data(RawDataRecord("printed?")));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Log(), (std::vector<std::string>{
                       Call(0, 5, true, 55),
                       Call(1, 5, true, 58),
                       Call(2, kDownloadRecord, true, 46),
                       Call(3, kDownloadRecord, true, 46),
                       R"({"event":"popup","to":"FORMHOST","text":"Information from the ZEMT4 )"
                       R"(printer driver.\n\nCannot find the Overlay file C:\\FORMS\\GONE.OVL.)"
                       R"(\n\nPrinting will be cancelled."})",
                       Call(4, kDownloadRecord, false, 20),
                       Call(5, kDownloadRecord, true, 20),
                       Call(6, kDownloadRecord, true, 20),
                       Call(7, kDownloadRecord, true, 20),
                       Call(8, 0, true, 16),
                   }));
  EXPECT_EQ(Port(), "");
}

}  // namespace
}  // namespace spoolhook::testing
