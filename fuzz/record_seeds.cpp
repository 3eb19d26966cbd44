// Writes the seed corpus of the record fuzzer: record streams that reach the states random
// bytes rarely find (a spool file with marks and its replays, sections, single replay
// entries, printer-side spooling, overlay creation and checks, overlay downloads, job
// information and PJL lines behind a job settings record, the accounting plug-in's two
// families). Each seed is a file of records in the fuzzer's input format: a u16 length, then
// that many bytes of one record.
//
//   record_seeds FOLDER
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/byte_block.h"
#include "support/job_settings_records.h"
#include "support/records.h"

namespace {

using namespace spoolhook::testing;
using Records = std::vector<Record>;

// Spool subcommands (id 2).
enum : std::uint32_t {
  kSpoolStart = 100,
  kSpoolStop = 101,
  kSpoolDelete = 102,
  kReplayParameters = 103,
  kReplay = 104,
  kMarkHeader = 105,
  kMarkTrailer = 106,
  kMarkLead = 107,
  kMarkBody = 108,
  kCloseRegion = 110,
  kSpoolCancel = 111,
  kMarkPass = 120,
  kEndPass = 121,
  kMarkCycle = 122,
  kEndCycle = 123,
  kReaderOpen = 130,
  kReaderClose = 131,
  kReplayOnce = 132,
  kReplayHeader = 133,
  kReplayTrailer = 134,
  kReplayLead = 135,
  kReplayBody = 136,
};

// Paper sources: automatic, upper, middle, lower, manual.
enum : std::uint32_t { kBinAuto = 7, kBinUpper = 1, kBinMiddle = 3, kBinLower = 2, kBinManual = 4 };

constexpr char kFormsFolder[] = "C:\\FORMS\\";
constexpr char kNewOverlay[] = "C:\\FUZZ\\NEW.OVL";

Record Data(const std::string& text) { return RawDataRecord(text); }
Record Spool(std::uint32_t subcommand, std::int32_t parameter = 0) {
  return SpoolRecord(subcommand, parameter);
}

// The replay parameters of 103, all five cases.
struct Replay {
  std::uint32_t mode = 0, copies = 1, options = 0;
  std::uint32_t duplex = 0, pagesPerSide = 1;
  std::uint32_t collate = 1, reverse = 0;
  std::uint32_t interleaf = 0, paperSourceMode = 0;
  std::uint32_t bins[5] = {kBinAuto, kBinUpper, kBinMiddle, kBinLower, kBinManual};
};

Records ReplayParameters(const Replay& r) {
  return {
      SpoolRecord(kReplayParameters, 0, {r.mode, 0, r.copies, r.options, 0}),
      SpoolRecord(kReplayParameters, 1, {r.duplex, r.pagesPerSide, 0, 0, 0}),
      SpoolRecord(kReplayParameters, 2, {r.collate, r.reverse, 0, 0, 0}),
      SpoolRecord(kReplayParameters, 3, {r.interleaf, r.paperSourceMode, 0, 0, 0}),
      SpoolRecord(kReplayParameters, 4, {r.bins[0], r.bins[1], r.bins[2], r.bins[3], r.bins[4]}),
  };
}

void Append(Records& to, const Records& more) { to.insert(to.end(), more.begin(), more.end()); }

// Driver settings that turn on every bracket, wrapper and command of the replay.
Record Settings(std::uint16_t jobInfoFlags = 0, std::uint32_t altMode = 0) {
  JobSettings s;
  s.commandBracketOn = 1;
  s.dataWrapperOn = 1;
  s.blankPageValue = 2;
  s.typeCommandOn = 1;
  s.jobInfoFlags = jobInfoFlags;
  s.packetTagOn = 1;
  s.packetTagFirst = 0x11;
  s.packetTagSecond = 0x22;
  s.altMode = altMode;
  s.typeCommandDefault = 3;
  s.nameSelectFlags = 0x14;
  s.nameSelectA = 1;
  s.nameSelectB = 1;
  s.userName = "fuzz user";
  s.jobTitle = "fuzz title";
  return JobSettingsRecord(s);
}

// A spool file with a header, `pages` pages (each a lead and a body) and a trailer, closed.
Records SpooledJob(int pages) {
  Records job = {Spool(kSpoolStart), Spool(kMarkHeader), Data("\x1B%-12345X@PJL\n")};
  for (int page = 1; page <= pages; ++page) {
    Append(job, {Spool(kMarkLead), Data("lead " + std::to_string(page)), Spool(kMarkBody),
                 Data("body " + std::to_string(page) + "\f")});
  }
  Append(job, {Spool(kMarkTrailer), Data("\x1B%-12345X"), Spool(kSpoolStop)});
  return job;
}

Records ReplayedJob(int pages, const Replay& replay) {
  Records job = {Settings()};
  Append(job, SpooledJob(pages));
  Append(job, ReplayParameters(replay));
  Append(job, {Spool(kReplay), Spool(kSpoolDelete)});
  return job;
}

Records ForwardReplay() {
  Replay r;
  r.copies = 2;
  r.options = 0x1000;
  r.paperSourceMode = 1;
  return ReplayedJob(3, r);
}

Records ReverseTwoSidedReplay() {
  Replay r;
  r.copies = 2;
  r.duplex = 1;
  r.reverse = 1;
  r.paperSourceMode = 1;
  return ReplayedJob(5, r);
}

Records ForwardTwoSidedInterleaf() {
  Replay r;
  r.duplex = 1;
  r.pagesPerSide = 2;
  r.interleaf = 0x2;
  r.paperSourceMode = 3;
  return ReplayedJob(5, r);
}

Records ReverseInterleafWholeSheets() {
  Replay r;
  r.duplex = 4;
  r.reverse = 1;
  r.paperSourceMode = 3;
  return ReplayedJob(7, r);
}

Records ReverseSecondBin() {
  Replay r;
  r.reverse = 1;
  r.options = 0x1000;
  r.paperSourceMode = 2;
  return ReplayedJob(6, r);
}

// Pass and cycle sections around pages, replayed by sections (replay mode 1).
Records Sections() {
  Records job = {Settings(), Spool(kSpoolStart), Spool(kMarkHeader), Data("header")};
  for (int pass = 1; pass <= 2; ++pass) {
    Append(job, {Spool(kMarkPass), Data("pass " + std::to_string(pass)), Spool(kMarkBody),
                 Data("ignored body"), Spool(kEndPass)});
  }
  for (int cycle = 1; cycle <= 3; ++cycle) {
    Append(job, {Spool(kMarkCycle), Data("cycle " + std::to_string(cycle)), Spool(kEndCycle)});
  }
  Append(job, {Spool(kMarkLead), Data("lead"), Spool(kMarkBody), Data("body\f"),
               Spool(kCloseRegion), Spool(kMarkTrailer), Data("trailer"), Spool(kSpoolStop)});
  Replay r;
  r.mode = 1;
  Append(job, ReplayParameters(r));
  Append(job, {Spool(kReplay), Spool(kSpoolDelete)});
  return job;
}

// More pages, or pass sections, than the index first has room for: each table grows once.
Records IndexGrowth(bool sections) {
  Records job = {Spool(kSpoolStart), Spool(kMarkHeader), Data("h")};
  for (int i = 1; i <= (sections ? 52 : 100); ++i) {
    Append(job, sections ? Records{Spool(kMarkPass), Spool(kEndPass)}
                         : Records{Spool(kMarkBody), Data("p")});
  }
  Replay r;
  r.mode = sections ? 1 : 0;
  r.reverse = 1;
  r.pagesPerSide = 3;
  Append(job, {Spool(kMarkTrailer), Spool(kSpoolStop)});
  Append(job, ReplayParameters(r));
  Append(job, {Spool(kReplay), Spool(kSpoolDelete)});
  return job;
}

// The single replay entries 130 to 136 with their own reader, then the cancelling 111.
Records SingleEntries() {
  Records job = {Settings()};
  Append(job, SpooledJob(3));
  Append(job,
         {Spool(kReaderOpen), Spool(kReplayHeader), Spool(kReplayLead, 1), Spool(kReplayBody, 1),
          Spool(kReplayBody, 3), Spool(kReplayOnce), Spool(kReplayTrailer), Spool(kReplayBody, 4),
          Spool(kReaderClose), Spool(kSpoolCancel), Data("dropped")});
  return job;
}

// Printer-side spooling and the pieces of 0x1001.
Records SpoolControl() {
  Records job = {Settings()};
  Append(job, SpooledJob(2));
  Replay r;
  r.copies = 3;
  Append(job, ReplayParameters(r));
  Append(job, {
                  SpoolControlRecord(9, {64, 0x4, 3, 0x2, 5}),
                  SpoolControlRecord(9, {1, 0, 0, 0, 1}),
                  SpoolControlRecord(1, {64}),
                  SpoolControlRecord(1, {0}),
                  SpoolControlRecord(6),
                  SpoolControlRecord(2),
                  SpoolControlRecord(4, {1}),
                  SpoolControlRecord(5, {2}),
                  SpoolControlRecord(5, {3}),
                  SpoolControlRecord(3),
                  SpoolControlRecord(8),
                  SpoolControlRecord(7),
                  SpoolControlRecord(7),
                  Spool(kSpoolDelete),
              });
  return job;
}

// The first bytes of an overlay file as a job writes them: the data offset and the
// signature, the fields the checks compare, then form data.
std::string OverlayFileBytes() {
  ByteBlock header(387);
  header.U32(0, 387).Text(8, std::string("Mirak", 6)).U8(62, 1).U16(64, 260).U8(68, 1);
  header.U16(71, 600);
  for (int i = 0; i < 4; ++i) header.U16(85 + 2 * i, std::uint16_t(100 * (i + 1)));
  return header.bytes() + std::string(300, 'F');
}

// 0x1050 subcommand 13 for `slot`, matching the forms of the fuzz machine unless told.
Record Check(std::int16_t slot, std::uint16_t paperSize = 43, std::uint16_t compatibility = 1) {
  OverlayCheck check;
  check.orientation = 1;
  check.resolution = 600;
  check.compatibility = compatibility;
  check.colourMode = 1;
  check.paperSize = paperSize;
  check.slot = slot;
  for (int i = 0; i < 4; ++i) check.geometry[i] = std::uint16_t(100 * (i + 1));
  return OverlayCheckRecord(check);
}

Record OverlayPath(std::uint32_t slot, const std::string& name) {
  return StringRecord(3, kFormsFolder + name, slot);
}

// A job made into an overlay file, which is then checked and downloaded.
Records OverlayCreation() {
  return {StringRecord(2, kNewOverlay),
          OverlayRecord(43, 1, 1),
          OverlayRecord(40),
          Data(OverlayFileBytes()),
          Data(std::string(200, 'G')),
          OverlayRecord(41),
          StringRecord(3, kNewOverlay, 0),
          Check(0),
          OverlayDownloadRecord(10, 0, 4),
          OverlayDownloadRecord(11, 0),
          OverlayDownloadRecord(12, 0)};
}

// A new overlay file on a network share.
Records OverlayOnShare() {
  const char path[] = "\\\\SERVER\\SHARE\\NEW.OVL";
  return {StringRecord(2, path), OverlayRecord(43), OverlayRecord(40), Data(OverlayFileBytes()),
          OverlayRecord(41)};
}

// A new overlay file deleted again before it is stamped.
Records OverlayDeletion() {
  return {StringRecord(2, kNewOverlay), OverlayRecord(43), OverlayRecord(40),
          Data(OverlayFileBytes()),     OverlayRecord(42), OverlayRecord(42)};
}

// The forms of the fuzz machine in every slot, checked by 53 and 0x1050 (with page
// warnings), downloaded; then the faults of other forms.
Records OverlayChecks() {
  Records job;
  for (std::uint32_t slot = 0; slot < 8; ++slot) {
    job.push_back(OverlayPath(slot, slot % 2 ? "BLOCK.OVL" : "GOOD.OVL"));
  }
  job.push_back(OverlayRecord(53, 1));
  for (std::int16_t slot = 0; slot < 8; ++slot) job.push_back(Check(slot, slot == 1 ? 91 : 43));
  Append(job,
         {OverlayDownloadRecord(14, 1), OverlayDownloadRecord(10, 0, 2),
          OverlayDownloadRecord(11, 0), OverlayDownloadRecord(11, 1), OverlayDownloadRecord(12, 1),
          OverlayPath(2, "KIND10.OVL"), OverlayPath(3, "SHORT.OVL"), Check(2, 43, 0), Check(3),
          OverlayDownloadRecord(14, 0), OverlayRecord(53, 0)});
  return job;
}

// A signature check that fails on a file that is no overlay file.
Records OverlayCheckFailure() {
  return {OverlayPath(0, "GOOD.OVL"),
          OverlayPath(1, "OTHER.OVL"),
          OverlayRecord(53, 0),
          OverlayRecord(99),
          Check(1, 43, 0),
          OverlayDownloadRecord(14, 0)};
}

// Every job-information step, the wrapped data and the PJL records behind the settings.
Records JobInformation(std::uint32_t altMode) {
  Records job = {Settings(0x3E, altMode), JobSettingsTextRecord(2, "document.txt"),
                 JobSettingsTextRecord(3, "second title"),
                 SettingsRecord(4, 10, std::string("u\0s\0e\0r\0\0\0", 10))};
  for (std::uint32_t step = 1; step <= 9; ++step) job.push_back(Record(0x1014).U32(step));
  Append(job, {Record(0x1012).U32(1), Record(0x1011).Bytes("wrapped data"),
               Record(0x1010).Bytes("plain data"), Record(0x1012).U32(2),
               Record(0x1011).Bytes("final"), Record(0x1013).U32(1).Bytes("x"), Record(0x1015),
               Record(0x1030), Record(0x1031), Record(0x1032), Record(0x1033)});
  return job;
}

// Job information and PJL lines spooled with the pages and replayed with each copy.
Records SpooledJobInformation() {
  Records job = {Settings(0x12, 1), Spool(kSpoolStart),    Spool(kMarkHeader),
                 Record(0x1032),    Record(0x1014).U32(1), Record(0x1014).U32(6)};
  Append(job, {Spool(kMarkLead), Data("lead"), Spool(kMarkBody), Record(0x1011).Bytes("page"),
               Spool(kMarkTrailer), Record(0x1014).U32(6), Record(0x1033), Spool(kSpoolStop)});
  Replay r;
  r.copies = 2;
  Append(job, ReplayParameters(r));
  Append(job, {Spool(kReplay), Spool(kSpoolDelete)});
  return job;
}

Record RecordOf(const ByteBlock& block) {
  return Record(std::uint32_t(std::uint8_t(block.bytes()[0]) | std::uint8_t(block.bytes()[1]) << 8 |
                              std::uint8_t(block.bytes()[2]) << 16 |
                              std::uint32_t(std::uint8_t(block.bytes()[3])) << 24))
      .Bytes(block.bytes().substr(8));
}

Record AccountingPath() {
  const std::string path("C:\\ACCT\\JOBS.DAT", 17);
  return SettingsRecord(1, std::int32_t(path.size()), path);
}

// An entry record of either family with its groups and a flag.
Record Entry(std::uint32_t id, std::uint32_t count, std::uint32_t flag) {
  const bool first = id == 0x1072;
  ByteBlock block(first ? 112 : 100);
  block.U32(0, id).U32(12, 1).U32(16, 2).U32(20, 3).U32(24, 4).U32(28, 5).U32(32, 0xAABB);
  block.U32(36, count).U32(40, 0x1FF);
  for (std::uint32_t k = 0; k < (first ? 5u : 4u); ++k) {
    block.U32(44 + 12 * k, 0x61 + k).U32(48 + 12 * k, 0x71 + k).U32(52 + 12 * k, 0x301 + k);
  }
  block.U32(first ? 104 : 92, 0x77).U32(first ? 108 : 96, flag);
  return RecordOf(block);
}

// The first family: start, entries, the answers in packets and lines, end.
Records FirstAccountingFamily() {
  ByteBlock start(72);
  start.U32(0, 0x1070).U32(12, 0x11).U32(16, 0x22).U32(20, 0x33).Text(40, "account data");
  return {AccountingPath(),
          Settings(0x1A),
          RecordOf(start),
          Entry(0x1072, 3, 0),
          Entry(0x1072, 4, 1),
          Record(0x1014).U32(3),
          Record(0x1014).U32(4),
          Record(0x1014).U32(5),
          Record(0x1014).U32(7),
          Record(0x1032),
          RecordOf(ByteBlock(16).U32(0, 0x1071).U32(12, 0x5150)),
          Record(0x1033),
          Entry(0x1072, 1, 0)};
}

// The second family with two text items; a second start keeps the plug-in held at the end.
Records SecondAccountingFamily() {
  ByteBlock start(28 + 2 * 128);
  start.U32(0, 0x1073).U32(20, 0x44).U32(24, 2);
  start.Text(28, "first item").Text(28 + 89, "second text");
  start.Text(28 + 128, std::string(100, 'L'));
  return {AccountingPath(),
          Settings(0x10),
          RecordOf(start),
          Entry(0x1075, 5, 0),
          Entry(0x1075, 9, 1),
          Record(0x1014).U32(7),
          RecordOf(ByteBlock(20).U32(0, 0x1074).U32(12, 0x5150).U32(16, 0x99)),
          RecordOf(start),
          Entry(0x1075, 2, 0)};
}

// The capture file and the engine's settings and string records.
Records CaptureAndSettings() {
  return {AccountingPath(),
          SettingsRecord(2, 0x103),
          SettingsRecord(3, 4, "abcd"),
          SettingsRecord(4, 8, std::string("n\0a\0m\0e\0", 8)),
          CapturePathRecord(u"C:\\FUZZ\\CAPTURE.PRN"),
          StringRecord(1, "text"),
          Data("captured data"),
          Record(0x1010).Bytes("more data")};
}

struct Seed {
  const char* name;
  Records (*records)();
};

const Seed kSeeds[] = {
    {"spool-forward", ForwardReplay},
    {"spool-reverse-two-sided", ReverseTwoSidedReplay},
    {"spool-forward-interleaf", ForwardTwoSidedInterleaf},
    {"spool-reverse-whole-sheets", ReverseInterleafWholeSheets},
    {"spool-reverse-second-bin", ReverseSecondBin},
    {"spool-sections", Sections},
    {"spool-page-table-growth", [] { return IndexGrowth(false); }},
    {"spool-section-table-growth", [] { return IndexGrowth(true); }},
    {"spool-single-entries", SingleEntries},
    {"spool-control", SpoolControl},
    {"overlay-creation", OverlayCreation},
    {"overlay-on-share", OverlayOnShare},
    {"overlay-deletion", OverlayDeletion},
    {"overlay-checks", OverlayChecks},
    {"overlay-check-failure", OverlayCheckFailure},
    {"jobinfo", [] { return JobInformation(0); }},
    {"jobinfo-alternative", [] { return JobInformation(1); }},
    {"jobinfo-spooled", SpooledJobInformation},
    {"accounting-first", FirstAccountingFamily},
    {"accounting-second", SecondAccountingFamily},
    {"capture", CaptureAndSettings},
};

// The fuzzer's input format: each record behind its u16 length.
std::string Encode(const Records& records) {
  std::string input;
  for (const Record& record : records) {
    input += char(record.size() & 0xFF);
    input += char(record.size() >> 8);
    input += record.bytes();
  }
  return input;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: record_seeds FOLDER\n");
    return 2;
  }
  const std::filesystem::path folder(argv[1]);
  std::filesystem::create_directories(folder);
  for (const Seed& seed : kSeeds) {
    const std::string input = Encode(seed.records());
    std::ofstream file(folder / (std::string("seed-") + seed.name), std::ios::binary);
    if (!file.write(input.data(), std::streamsize(input.size()))) {
      std::fprintf(stderr, "record_seeds: cannot write %s\n", seed.name);
      return 1;
    }
  }
  return 0;
}
