// `spoolhook play` end to end: stream files written here, the built tool run on them, the
// port's bytes and the log lines compared with the player's contract.
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "jobinfo/packet_bytes.h"
#include "support/job_settings_records.h"
#include "support/records.h"
#include "tool_runner.h"

namespace spoolhook::testing {
namespace {

namespace fs = std::filesystem;

std::string Word(std::uint32_t value) {
  std::string bytes;
  for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((value >> shift) & 0xFF);
  return bytes;
}

// A data frame: u32 length, then the buffer of one DrvSplWritePrinter call.
std::string Data(const std::string& buffer) {
  return Word(static_cast<std::uint32_t>(buffer.size())) + buffer;
}
std::string Data(const Record& record) { return Data(record.bytes()); }

// A control frame: u32 0xFFFFFFFF, then the code.
std::string Control(std::uint32_t code) { return Word(0xFFFFFFFFu) + Word(code); }
constexpr std::uint32_t kStartPage = 1, kEndPage = 2, kAbort = 3, kEndDoc = 4, kNoBuffer = 5;

// Sends the job to the printer and to the capture file once its path is known.
constexpr std::int32_t kPrinterAndCapture = 3;

std::atomic<unsigned> runCounter{0};

class PlayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("spoolhook-play-test-" + std::to_string(::getpid()) + "-" +
                                        std::to_string(runCounter++));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  // Plays `stream` from a file, the port's bytes and the log going to files of the test.
  ToolRun Play(const std::string& stream, std::vector<std::string> options = {}) {
    WriteBytes(dir_ / "job.stream", stream);
    std::vector<std::string> args{"play", "--port", Path("port.bin"), "--log", Path("log.jsonl")};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(Path("job.stream"));
    return RunTool(args, dir_);
  }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  std::string Port() const { return ReadBytes(dir_ / "port.bin"); }
  std::vector<std::string> Log() const {
    std::istringstream text(ReadBytes(dir_ / "log.jsonl"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
  }
  // The simulated machine's root for --root, with the folder the capture files go to.
  std::string Root() {
    fs::create_directories(dir_ / "root" / "C" / "OUT");
    return Path("root");
  }

  fs::path dir_;
};

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

}  // namespace
}  // namespace spoolhook::testing
