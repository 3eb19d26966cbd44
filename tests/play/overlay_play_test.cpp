// `spoolhook play` end to end with overlay files: a job that makes one, stamped with the
// frozen clock and system version, and the pop-ups of the checks in the log.
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

}  // namespace
}  // namespace spoolhook::testing
