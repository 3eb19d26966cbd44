// `spoolhook play` end to end: stream files written here, the built tool run on them, the
// port's bytes and the log lines compared with the player's contract.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "jobinfo/packet_bytes.h"
#include "play_fixture.h"
#include "support/job_settings_records.h"

namespace spoolhook::testing {
namespace {

namespace fs = std::filesystem;

// Sends the job to the printer and to the capture file once its path is known.
constexpr std::int32_t kPrinterAndCapture = 3;

TEST_F(PlayTest, RawDataRecordsReachThePortInOrder) {
  const ToolRun run = Play(Data(RawDataRecord("Hello ")) + Data(RawDataRecord("world\r\n")) +
                           Data(RawDataRecord("\f")));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(Port(), "Hello world\r\n\f");
  EXPECT_EQ(
      Log(),
      (std::vector<std::string>{
          R"({"event":"call","n":0,"fn":"DrvSplWritePrinter","id":0,"result":true,"written":14})",
          R"({"event":"call","n":1,"fn":"DrvSplWritePrinter","id":0,"result":true,"written":15})",
          R"({"event":"call","n":2,"fn":"DrvSplWritePrinter","id":0,"result":true,"written":9})",
      }));
}

TEST_F(PlayTest, ControlFramesCallTheirEntryPoints) {
  const ToolRun run = Play(Control(kStartPage) + Data(RawDataRecord("page")) + Control(kEndPage) +
                           Control(kNoBuffer) + Control(kAbort));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Port(), "page");
  EXPECT_EQ(
      Log(),
      (std::vector<std::string>{
          R"({"event":"call","n":0,"fn":"DrvSplStartPage","result":true})",
          R"({"event":"call","n":1,"fn":"DrvSplWritePrinter","id":0,"result":true,"written":12})",
          R"({"event":"call","n":2,"fn":"DrvSplEndPage","result":true})",
          R"({"event":"call","n":3,"fn":"DrvSplWritePrinter","id":null,"result":true,"written":null})",
          R"({"event":"call","n":4,"fn":"DrvSplAbort"})",
      }));
}

TEST_F(PlayTest, FramesAfterTheEndOfTheDocumentAreStillPlayed) {
  const ToolRun run = Play(Control(kEndDoc) + Data(RawDataRecord("late")));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Port(), "late");
  EXPECT_EQ(
      Log(),
      (std::vector<std::string>{
          R"({"event":"call","n":0,"fn":"DrvSplEndDoc"})",
          R"({"event":"call","n":1,"fn":"DrvSplWritePrinter","id":0,"result":true,"written":12})",
      }));
}

// Buffers below 4 bytes have no record id and are not touched; a record that the library
// ignores reports 0 written, and a driver record no handler knows leaves the count alone.
TEST_F(PlayTest, IdAndWrittenAreNullWhereTheCallHasNone) {
  const ToolRun run =
      Play(Data("") + Data(std::string("\x00\x00\x00", 3)) + Data(Word(4)) + Data(Record(0x1FFF)));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Port(), "");
  EXPECT_EQ(
      Log(),
      (std::vector<std::string>{
          R"({"event":"call","n":0,"fn":"DrvSplWritePrinter","id":null,"result":true,"written":null})",
          R"({"event":"call","n":1,"fn":"DrvSplWritePrinter","id":null,"result":true,"written":null})",
          R"({"event":"call","n":2,"fn":"DrvSplWritePrinter","id":4,"result":true,"written":0})",
          R"({"event":"call","n":3,"fn":"DrvSplWritePrinter","id":8191,"result":true,"written":null})",
      }));
}

struct MalformedStream {
  const char* what;
  std::string stream;
  const char* offset;
};

TEST_F(PlayTest, MalformedStreamsExitWith2BeforeAnyCall) {
  const std::string ok = Data(RawDataRecord("ok"));  // 14 bytes
  const MalformedStream cases[] = {
      {"truncated length", std::string("\x01\x00\x00", 3), "byte offset 0"},
      {"truncated payload", ok + Word(100) + "abc", "byte offset 14"},
      {"unknown control code", Control(kStartPage) + Control(6), "byte offset 12"},
      {"control code cut short", ok + Word(0xFFFFFFFFu) + "\x01", "byte offset 18"},
      {"trailing bytes", ok + Control(kEndPage) + "xy", "byte offset 22"},
  };
  for (const MalformedStream& entry : cases) {
    SCOPED_TRACE(entry.what);
    const ToolRun run = Play(entry.stream);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(entry.offset), std::string::npos) << run.err;
    EXPECT_EQ(Port(), "");
    EXPECT_EQ(Log(), std::vector<std::string>{});
    EXPECT_EQ(run.out, "");
  }
}

TEST_F(PlayTest, NoJobFromStartDocExitsWith3) {
  const ToolRun run = Play(Data(RawDataRecord("never")), {"--fail", "HeapAlloc@1"});
  EXPECT_EQ(run.status, 3);
  EXPECT_NE(run.err.find("DrvSplStartDoc"), std::string::npos) << run.err;
  EXPECT_EQ(Port(), "");
  EXPECT_EQ(Log(), std::vector<std::string>{});
}

// The library ignores a failed WritePrinter of raw data: the record succeeds, reporting its
// 8 header bytes and the 0 that the failed write left.
TEST_F(PlayTest, FailedPrinterWriteLosesOnlyItsBytes) {
  const ToolRun run =
      Play(Data(RawDataRecord("a")) + Data(RawDataRecord("b")) + Data(RawDataRecord("c")),
           {"--fail", "WritePrinter@2"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Port(), "ac");
  EXPECT_EQ(Log().at(1),
            R"({"event":"call","n":1,"fn":"DrvSplWritePrinter","id":0,"result":true,"written":8})");
}

struct CaptureFault {
  std::vector<std::string> options;
  std::string capture;
  std::string thirdLine;
};

// The capture file's write is the last of a raw data record: its result and count are the
// record's.
TEST_F(PlayTest, CaptureWriteFaultsShowInTheRecordsResult) {
  const CaptureFault cases[] = {
      {{"--short", "WriteFile@1"},
       "Hell",
       R"({"event":"call","n":2,"fn":"DrvSplWritePrinter","id":0,"result":true,"written":12})"},
      {{"--fail", "WriteFile@1"},
       "",
       R"({"event":"call","n":2,"fn":"DrvSplWritePrinter","id":0,"result":false,"written":8})"},
      {{"--fail", "WriteFile@2"},
       "Hello",
       R"({"event":"call","n":2,"fn":"DrvSplWritePrinter","id":0,"result":true,"written":13})"},
  };
  for (const CaptureFault& entry : cases) {
    SCOPED_TRACE(entry.options[0] + " " + entry.options[1]);
    std::vector<std::string> options{"--root", Root()};
    options.insert(options.end(), entry.options.begin(), entry.options.end());
    const ToolRun run =
        Play(Data(SettingsRecord(2, kPrinterAndCapture)) +
                 Data(CapturePathRecord(u"C:\\OUT\\CAP.PRN")) + Data(RawDataRecord("Hello")),
             options);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Port(), "Hello");
    EXPECT_EQ(ReadBytes(dir_ / "root" / "C" / "OUT" / "CAP.PRN"), entry.capture);
    EXPECT_EQ(Log().at(2), entry.thirdLine);
  }
}

TEST_F(PlayTest, StreamFromStandardInput) {
  const std::string stream = Control(kStartPage) + Data(RawDataRecord("piped")) + Control(kEndPage);
  const ToolRun run = RunTool({"play", "-"}, dir_, stream);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "piped");
}

TEST_F(PlayTest, RootKeepsTheMachinesFiles) {
  const std::string root = Root();
  fs::create_directories(dir_ / "root" / "C" / "AUSGABE");
  const ToolRun run = Play(Data(SettingsRecord(2, kPrinterAndCapture)) +
                               Data(CapturePathRecord(u"C:\\AUSGABE\\Gr\u00FC\u00DFe.PRN")) +
                               Data(RawDataRecord("Hello")) + Data(RawDataRecord("World")),
                           {"--root", root});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Port(), "HelloWorld");
  EXPECT_EQ(ReadBytes(dir_ / "root" / "C" / "AUSGABE" /
                      "Gr\xC3\xBC\xC3\x9F"
                      "e.PRN"),
            "HelloWorld");
  EXPECT_TRUE(fs::is_directory(dir_ / "root" / "C" / "TEMP"));
  EXPECT_TRUE(fs::is_directory(dir_ / "root" / "C" / "DRIVERS"));
}

TEST_F(PlayTest, TempAndDriverFoldersAreCreatedWhereverTheyLie) {
  const ToolRun run =
      Play(Data(RawDataRecord("x")), {"--root", Root(), "--temp", "d:\\Spool\\Tmp\\",
                                      "--driver-path", "\\\\FILESRV\\DRV\\X\\ZEMT4.DLL"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::is_directory(dir_ / "root" / "D" / "Spool" / "Tmp"));
  EXPECT_TRUE(fs::is_directory(dir_ / "root" / "UNC" / "FILESRV" / "DRV" / "X"));
}

TEST_F(PlayTest, DefaultRootIsATemporaryDirectoryRemovedAtTheEnd) {
  const ToolRun run =
      Play(Data(SettingsRecord(2, kPrinterAndCapture)) +
           Data(CapturePathRecord(u"C:\\TEMP\\CAP.PRN")) + Data(RawDataRecord("gone")));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Port(), "gone");
  EXPECT_TRUE(fs::is_empty(dir_ / "tmp"))
      << "TMPDIR still holds " << (*fs::directory_iterator(dir_ / "tmp")).path();
}

TEST_F(PlayTest, LastOfARepeatedOptionWins) {
  const ToolRun run = Play(Data(RawDataRecord("second")), {"--port", Path("other.bin")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadBytes(dir_ / "other.bin"), "second");
  EXPECT_FALSE(fs::exists(dir_ / "port.bin"));
}

TEST_F(PlayTest, ExampleJobPrintsItsGreeting) {
  const ToolRun run = RunTool(
      {"play", "--log", Path("log.jsonl"), SPOOLHOOK_SOURCE_DIR "/examples/hello.stream"}, dir_);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Hello from spoolhook\r\n\f");
  EXPECT_EQ(
      Log(),
      (std::vector<std::string>{
          R"({"event":"call","n":0,"fn":"DrvSplStartPage","result":true})",
          R"({"event":"call","n":1,"fn":"DrvSplWritePrinter","id":0,"result":true,"written":14})",
          R"({"event":"call","n":2,"fn":"DrvSplWritePrinter","id":0,"result":true,"written":24})",
          R"({"event":"call","n":3,"fn":"DrvSplWritePrinter","id":0,"result":true,"written":9})",
          R"({"event":"call","n":4,"fn":"DrvSplEndPage","result":true})",
          R"({"event":"call","n":5,"fn":"DrvSplEndDoc"})",
      }));
}

TEST_F(PlayTest, HelpAndVersion) {
  const ToolRun help = RunTool({"play", "--help"}, dir_);
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: spoolhook play [OPTIONS] STREAM\n", 0), 0u) << help.out;
  for (const char* option : {"--port FILE", "--fail CALL[@N]", "--short CALL@N", "--lpr-port"}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--version"}, std::vector<std::string>{"play", "--version"}}) {
    const ToolRun version = RunTool(args, dir_);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "spoolhook " SPOOLHOOK_VERSION "\n");
  }
}

TEST_F(PlayTest, BadUsageExitsWith2AndCallsNothing) {
  const std::vector<std::string> cases[] = {
      {"--bogus"},
      {"--fail", "CreateProcessW"},
      {"--fail", "WriteFile@0"},
      {"--fail", "WriteFile@x"},
      {"--short", "WriteFile"},
      {"--short", "HeapAlloc@1"},
      {"--time", "2024-01-31T10:00:00"},
      {"--time", "2023-02-29T10:00:00.000"},
      {"--time", "2024-01-31 10:00:00.000"},
      {"--job-id", "-1"},
      {"--job-id", "4294967296"},
      {"--os-version", "6"},
      {"--no-netapi=yes"},
      {Path("second.stream")},
  };
  for (const std::vector<std::string>& options : cases) {
    SCOPED_TRACE(options[0]);
    const ToolRun run = Play(Data(RawDataRecord("never")), options);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind("spoolhook play: ", 0), 0u) << run.err;
    EXPECT_EQ(Port(), "");
    EXPECT_EQ(Log(), std::vector<std::string>{});
  }
  EXPECT_EQ(RunTool({"play"}, dir_).status, 2);
  EXPECT_EQ(RunTool({"play", Path("missing.stream")}, dir_).status, 2);
  EXPECT_EQ(RunTool({"replay"}, dir_).status, 2);
}

// Spool records (id 2): subcommand, parameter, value slots.
std::string Spool(std::uint32_t subcommand, std::int32_t parameter = 0,
                  std::initializer_list<std::uint32_t> slots = {}) {
  return Data(SpoolRecord(subcommand, parameter, slots));
}

// A two-page job with a header and a trailer, spooled and closed for writing.
std::string SpooledJob() {
  return Spool(100) + Spool(105) + Data(RawDataRecord("H")) + Spool(107) +
         Data(RawDataRecord("L1")) + Spool(108) + Data(RawDataRecord("B1")) + Spool(107) +
         Data(RawDataRecord("L2")) + Spool(108) + Data(RawDataRecord("B2")) + Spool(106) +
         Data(RawDataRecord("T")) + Spool(101);
}

// The spool files in the root of drive C of the simulated machine, with their contents.
std::vector<std::string> SpoolFilesIn(const fs::path& drive) {
  std::vector<std::string> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(drive)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_regular_file() && name.rfind("SPL", 0) == 0) {
      files.push_back(name.substr(name.size() - 4) + ":" + ReadBytes(entry.path()));
    }
  }
  return files;
}

struct ReplayRun {
  const char* what;
  std::string parameters;
  std::string port;
};

TEST_F(PlayTest, ASpooledJobIsReplayedToThePort) {
  const ReplayRun cases[] = {
      {"once", "", "HL1B1L2B2T"},
      {"two collated copies", Spool(103, 0, {0, 0, 2, 0}) + Spool(103, 2, {1, 0}),
       "HL1B1L2B2THL1B1L2B2T"},
      {"reverse order", Spool(103, 2, {0, 1}), "HB2L2B1T"},
  };
  for (const ReplayRun& entry : cases) {
    SCOPED_TRACE(entry.what);
    const ToolRun run =
        Play(SpooledJob() + entry.parameters + Spool(104) + Spool(102), {"--root", Root()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Port(), entry.port);
    const std::vector<std::string> log = Log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2],
              R"({"event":"call","n":)" + std::to_string(log.size() - 2) +
                  R"(,"fn":"DrvSplWritePrinter","id":2,"result":true,"written":16})");
    EXPECT_EQ(SpoolFilesIn(dir_ / "root" / "C"), std::vector<std::string>{});
  }
}

// The spool file lies in the root of the temporary drive while the job spools: a failing
// DeleteFileA leaves it there to be seen. Subcommand 102 and DrvSplClose delete it.
TEST_F(PlayTest, TheSpoolFileLiesInTheRootOfTheTempDriveUntilDeleted) {
  const fs::path drive = dir_ / "root" / "C";
  ToolRun run = Play(SpooledJob(), {"--root", Root(), "--fail", "DeleteFileA"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(SpoolFilesIn(drive), std::vector<std::string>{".TMP:HL1B1L2B2T"});
  EXPECT_TRUE(fs::is_empty(drive / "TEMP"));
  fs::remove_all(dir_ / "root");

  run = Play(SpooledJob(), {"--root", Root()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(SpoolFilesIn(drive), std::vector<std::string>{});
  fs::remove_all(dir_ / "root");

  // 102 deletes the first spool (the first DeleteFileA); only DrvSplClose's deletion of the
  // second one fails.
  run = Play(SpooledJob() + Spool(102) + Spool(100) + Data(RawDataRecord("second")) + Spool(101),
             {"--root", Root(), "--fail", "DeleteFileA@2"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(SpoolFilesIn(drive), std::vector<std::string>{".TMP:second"});
  EXPECT_EQ(Port(), "");
}

TEST_F(PlayTest, AFullTemporaryDriveCancelsTheSpooledJob) {
  const ToolRun run = Play(Spool(100) + Data(RawDataRecord("never")) + Spool(104),
                           {"--root", Root(), "--disk-free", "0"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Port(), "");
  const std::vector<std::string> log = Log();
  ASSERT_GE(log.size(), 3u);
  // The failed 100 tells the user before its call returns.
  EXPECT_EQ(log[0],
            R"({"event":"popup","to":"PRINTSRV","text":"Information from the ZEMT4 printer )"
            R"(driver.\n\nNot enough space in the disk.\n\nMake more disk space available by )"
            R"(deleting unnecessary files, and then retry."})");
  EXPECT_EQ(
      log[1],
      R"({"event":"call","n":0,"fn":"DrvSplWritePrinter","id":2,"result":false,"written":0})");
  EXPECT_EQ(
      log[2],
      R"({"event":"call","n":1,"fn":"DrvSplWritePrinter","id":0,"result":true,"written":13})");
  EXPECT_EQ(SpoolFilesIn(dir_ / "root" / "C"), std::vector<std::string>{});
}

// Two collated copies, two-sided in reverse order, with the first and last sheets from their
// own paper sources: the driver's commands in the mode bracket between the pages. Lower (2)
// is paper-source command 13, upper (1) 11, envelope (5) 5.
TEST_F(PlayTest, AReplayWithPaperSourcesAndBlankSidesGivesTheDriversCommands) {
  const std::string settings =
      Data(JobSettingsRecord({.commandBracketOn = 1, .blankPageValue = 2}));
  const std::string job =
      Spool(100) + Spool(105) + Data(RawDataRecord("H")) + Spool(107) + Data(RawDataRecord("L1")) +
      Spool(108) + Data(RawDataRecord("B1")) + Spool(107) + Data(RawDataRecord("L2")) + Spool(108) +
      Data(RawDataRecord("B2")) + Spool(107) + Data(RawDataRecord("L3")) + Spool(108) +
      Data(RawDataRecord("B3")) + Spool(106) + Data(RawDataRecord("T")) + Spool(101);
  const std::string parameters = Spool(103, 0, {0, 0, 2, 0}) + Spool(103, 1, {1, 1}) +
                                 Spool(103, 2, {1, 1}) + Spool(103, 3, {0, 1}) +
                                 Spool(103, 4, {2, 1, 3, 5, 4});
  const ToolRun run =
      Play(settings + job + parameters + Spool(104) + Spool(102), {"--root", Root()});
  EXPECT_EQ(run.status, 0) << run.err;
  const std::string lastSheet = "}p\x1E\x1B[5q\x1B[0&}";
  const std::string blankSide = "}p\x1E\x1B[2v\x1B[0&}\f";
  const std::string defaultBin = "}p\x1E\x1B[13q\x1B[0&}";
  const std::string firstSheet = "}p\x1E\x1B[11q\x1B[0&}";
  const std::string pass = "H" + lastSheet + blankSide + "B3" + defaultBin + "L3" + firstSheet +
                           "B2L2B1" + defaultBin + "T";
  EXPECT_EQ(Port(), pass + pass);
}

// Spool control records (id 0x1001): subcommand, then its fields.
std::string SpoolControl(std::uint32_t subcommand, std::initializer_list<std::uint32_t> fields) {
  return Data(SpoolControlRecord(subcommand, fields));
}

// Three copies of a job that fits 1 MiB: the renderer asks (9), then has it sent once inside
// the printer's spool request (1); the printer makes the copies.
TEST_F(PlayTest, AJobThatFitsThePrintersMemoryGoesOutOnceInsideTheSpoolRequest) {
  const std::string stream = SpooledJob() + Spool(103, 0, {0, 0, 3, 0}) +
                             SpoolControl(9, {1, 0, 0, 0, 10}) + SpoolControl(1, {1}) + Spool(102);
  const ToolRun run = Play(stream, {"--root", Root()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Port(),
            "\x1B%-12345X@PJL RVXMODE\n@PJL SPOOL COPIES=3 ENDSTR=\"ENDOFJOBSPOOL\"\n"
            "HL1B1L2B2T"
            "ENDOFJOBSPOOL\x1B%-12345X");
  const std::vector<std::string> log = Log();
  ASSERT_GE(log.size(), 3u);
  const std::size_t question = log.size() - 3;  // 9, 1 and 102 close the stream
  EXPECT_EQ(log[question],
            R"({"event":"call","n":)" + std::to_string(question) +
                R"(,"fn":"DrvSplWritePrinter","id":4097,"result":true,"written":32})");
  EXPECT_EQ(log[question + 1],
            R"({"event":"call","n":)" + std::to_string(question + 1) +
                R"(,"fn":"DrvSplWritePrinter","id":4097,"result":true,"written":16})");
  EXPECT_EQ(SpoolFilesIn(dir_ / "root" / "C"), std::vector<std::string>{});
}

// One copy never fits: the answer is no (0 written) and the host sends the job once.
TEST_F(PlayTest, ASingleCopyIsSentByTheHost) {
  const std::string stream = SpooledJob() + Spool(103, 0, {0, 0, 1, 0}) +
                             SpoolControl(9, {1, 0, 0, 0, 10}) + SpoolControl(1, {1});
  const ToolRun run = Play(stream, {"--root", Root()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Port(), "\x1B%-12345X@PJL RVXMODE\nHL1B1L2B2T\x1B%-12345X");
  const std::vector<std::string> log = Log();
  ASSERT_GE(log.size(), 2u);
  const std::size_t question = log.size() - 2;  // 9 and 1 close the stream
  EXPECT_EQ(log[question],
            R"({"event":"call","n":)" + std::to_string(question) +
                R"(,"fn":"DrvSplWritePrinter","id":4097,"result":false,"written":0})");
}

// The sample accounting plug-in installed in the driver directory of the played machine,
// logging each call it receives into the test's folder.
class AccountingPlayTest : public PlayTest {
 protected:
  static constexpr const char* kVariables[] = {"ACCOUNTING_SAMPLE_TEXT", "ACCOUNTING_SAMPLE_NUMBER",
                                               "ACCOUNTING_SAMPLE_VALUE",
                                               "ACCOUNTING_SAMPLE_HANDLE", "ACCOUNTING_SAMPLE_LOG"};

  void SetUp() override {
    PlayTest::SetUp();
    for (const char* name : kVariables) ::unsetenv(name);
    ::setenv("ACCOUNTING_SAMPLE_LOG", Path("plugin.log").c_str(), 1);
  }
  void TearDown() override {
    for (const char* name : kVariables) ::unsetenv(name);
    PlayTest::TearDown();
  }

  // The machine's root with KVESDRV.DLL in the default driver directory C:\DRIVERS.
  std::string RootWithPlugin() {
    const std::string root = Root();
    fs::create_directories(dir_ / "root" / "C" / "DRIVERS");
    fs::copy_file(ACCOUNTING_SAMPLE_PLUGIN_PATH, dir_ / "root" / "C" / "DRIVERS" / "KVESDRV.DLL");
    return root;
  }

  std::vector<std::string> PluginLog() const {
    std::istringstream text(ReadBytes(dir_ / "plugin.log"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
  }
};

// Hexadecimal digits of an ASCII text, NUL-filled to `field` bytes.
std::string HexText(const std::string& text, std::size_t field) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char byte : text + std::string(field - text.size(), '\0')) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0xF];
  }
  return hex;
}

// A 64-byte accounting entry of a record that sets nothing but its count.
std::string Entry(std::uint8_t count) {
  return "17" + std::string(2 * 11, '0') + HexText(std::string(1, char(count)), 4) + "00000200" +
         std::string(2 * 44, '0');
}

// The accounting path of the settings record, 17 bytes with its terminator.
const std::string kAccountingPath("C:\\ACCT\\JOBS.DAT", 17);

TEST_F(AccountingPlayTest, AJobIsReportedToTheSamplePlugin) {
  const Record textStart = Record(0x1073)
                               .U32(0)
                               .U32(0)
                               .U32(0)
                               .U32(0x44)
                               .U32(1)
                               .Text("Project X")
                               .PadTo(28 + 89)
                               .Text("Dept 7")
                               .PadTo(156);
  const Record firstEntry = Record(0x1075).PadTo(36).U32(4).PadTo(96).U32(0);
  const Record secondEntry = Record(0x1075).PadTo(36).U32(10).PadTo(96).U32(1);
  const Record end = Record(0x1074).U32(0).U32(0x5150).U32(0x99);
  const ToolRun run =
      Play(Data(SettingsRecord(1, 17, kAccountingPath)) + Data(RawDataRecord("Hello")) +
               Data(textStart) + Data(firstEntry) + Data(secondEntry) + Data(end),
           {"--root", RootWithPlugin(), "--job-id", "7"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Port(), "Hello");
  EXPECT_EQ(
      Log(),
      (std::vector<std::string>{
          R"({"event":"call","n":0,"fn":"DrvSplWritePrinter","id":1,"result":true,"written":37})",
          R"({"event":"call","n":1,"fn":"DrvSplWritePrinter","id":0,"result":true,"written":13})",
          R"({"event":"call","n":2,"fn":"DrvSplWritePrinter","id":4211,"result":true,"written":156})",
          R"({"event":"call","n":3,"fn":"DrvSplWritePrinter","id":4213,"result":true,"written":100})",
          R"({"event":"call","n":4,"fn":"DrvSplWritePrinter","id":4213,"result":true,"written":100})",
          R"({"event":"call","n":5,"fn":"DrvSplWritePrinter","id":4212,"result":true,"written":20})",
      }));
  // The start block: 432 + 136 bytes, the job id 7, no settings yet (no user, title or
  // time), the record's word at 20, and one text entry.
  const std::string startBlock =
      "38020000"
      "00000200"
      "07000000" +
      std::string(2 * 76, '0') +  // to byte 88
      "01000000"
      "44000000"
      "ffffffff"
      "ffffffff"
      "02000000" +
      std::string(2 * 320, '0') + "01000000" + HexText("Project X", 88) + HexText("Dept 7", 48);
  // The end block: 92 + 2 * 64 bytes; the second entry counts 10 - 4; the job sent 5 bytes.
  const std::string endBlock =
      "dc000000"
      "00000200"
      "05000000"
      "50510000"
      "99000000"
      "02000000"
      "01000000" +
      Entry(4) + Entry(6) + std::string(2 * 64, '0');
  EXPECT_EQ(PluginLog(),
            (std::vector<std::string>{
                R"({"call":"start","path":"C:\\ACCT\\JOBS.DAT","start":")" + startBlock + R"("})",
                R"({"call":"end","path":"C:\\ACCT\\JOBS.DAT","handle":48879,"end":")" + endBlock +
                    R"("})",
            }));
}

TEST_F(AccountingPlayTest, WithoutThePluginOnlyTheSecondFamilysStartFails) {
  const ToolRun run = Play(Data(Record(0x1070).PadTo(72)) + Data(Record(0x1073).PadTo(28)) +
                               Data(Record(0x1071).PadTo(16)),
                           {"--root", Root()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(
      Log(),
      (std::vector<std::string>{
          R"({"event":"call","n":0,"fn":"DrvSplWritePrinter","id":4208,"result":true,"written":72})",
          R"({"event":"call","n":1,"fn":"DrvSplWritePrinter","id":4211,"result":false,"written":28})",
          R"({"event":"call","n":2,"fn":"DrvSplWritePrinter","id":4209,"result":true,"written":16})",
      }));
  EXPECT_EQ(PluginLog(), std::vector<std::string>{});
}

}  // namespace

// A job that names itself in PJL lines and tells the printer its title, user and settings
// time, played once to a port of another monitor, which also gets the 128 zero bytes, and
// once to an LPR port, which does not.
TEST_F(PlayTest, JobInformationAndPjlLinesReachThePortWithThePage) {
  const std::string stream = Data(JobSettingsRecord({.userName = "bob", .jobTitle = "Report"})) +
                             Data(Record(0x1032)) + Data(Record(0x1014).U32(1)) +
                             Data(Record(0x1014).U32(2)) + Data(RawDataRecord("page one\f")) +
                             Data(Record(0x1030)) + Data(Record(0x1015)) + Data(Record(0x1033));
  const std::string before = "@PJL JOB NAME = \"\"\r\n" +
                             Attribute("00 0B", Hex("00 04 00 11 06") + "Report") +
                             Attribute("00 08", Hex("00 06 00 11 03") + "bob") +
                             Attribute("00 0A", Hex("00 09 7D 43 3F 00 0D 05 24 22")) +
                             ExtAttribute("00 0A", Hex("07 D9 13 01 03") + "bob" + Hex("00 00")) +
                             "page one\f" + " USER=\"bob\"";
  const std::string after = "@PJL EOJ NAME = \"\"\r\n";
  const std::vector<std::string> log{
      R"({"event":"call","n":0,"fn":"DrvSplWritePrinter","id":4096,"result":true,"written":136})",
      R"({"event":"call","n":1,"fn":"DrvSplWritePrinter","id":4146,"result":true,"written":20})",
      R"({"event":"call","n":2,"fn":"DrvSplWritePrinter","id":4116,"result":true,"written":12})",
      R"({"event":"call","n":3,"fn":"DrvSplWritePrinter","id":4116,"result":true,"written":12})",
      R"({"event":"call","n":4,"fn":"DrvSplWritePrinter","id":0,"result":true,"written":17})",
      R"({"event":"call","n":5,"fn":"DrvSplWritePrinter","id":4144,"result":true,"written":11})",
      R"({"event":"call","n":6,"fn":"DrvSplWritePrinter","id":4117,"result":true,"written":8})",
      R"({"event":"call","n":7,"fn":"DrvSplWritePrinter","id":4147,"result":true,"written":20})",
  };

  ToolRun run = Play(stream, {"--time", "2004-03-07T13:05:09.250"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Port(), before + std::string(128, '\0') + after);
  EXPECT_EQ(Log(), log);

  run = Play(stream, {"--time", "2004-03-07T13:05:09.250", "--printer-port", "lpd1:", "--lpr-port",
                      "LPD1:"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Port(), before + after);
  EXPECT_EQ(Log(), log);
}

// Two collated copies of a spooled job whose header carries the PJL job-name line, the user
// text and step 1's packets and whose trailer carries the end-of-job line: all of them go into
// the spool file, nothing reaches the port before the replay, and each copy repeats them with
// the pages.
TEST_F(PlayTest, JobInformationIsSpooledAndReplayedWithEveryCopy) {
  const std::string stream =
      Data(JobSettingsRecord({.userName = "bob", .jobTitle = "Report"})) + Spool(100) + Spool(105) +
      Data(Record(0x1032)) + Data(Record(0x1030)) + Data(Record(0x1014).U32(1)) +
      Data(RawDataRecord("H")) + Spool(107) + Data(RawDataRecord("L1")) + Spool(108) +
      Data(RawDataRecord("B1")) + Spool(107) + Data(RawDataRecord("L2")) + Spool(108) +
      Data(RawDataRecord("B2")) + Spool(106) + Data(RawDataRecord("T")) + Data(Record(0x1033)) +
      Spool(101) + Spool(103, 0, {0, 0, 2, 0}) + Spool(103, 2, {1, 0}) + Spool(104) + Spool(102);
  const std::string copy = "@PJL JOB NAME = \"\"\r\n USER=\"bob\"" +
                           Attribute("00 0B", Hex("00 04 00 11 06") + "Report") +
                           Attribute("00 08", Hex("00 06 00 11 03") + "bob") +
                           Attribute("00 0A", Hex("00 09 7D 43 3F 00 0D 05 24 22")) +
                           "HL1B1L2B2T@PJL EOJ NAME = \"\"\r\n";
  const ToolRun run = Play(stream, {"--root", Root(), "--time", "2004-03-07T13:05:09.250"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Port(), copy + copy);
  EXPECT_EQ(SpoolFilesIn(dir_ / "root" / "C"), std::vector<std::string>{});
}

}  // namespace spoolhook::testing
