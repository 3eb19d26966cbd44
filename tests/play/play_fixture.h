// What the end-to-end tests of `spoolhook play` share: stream frames built byte by byte, and
// a fixture that plays a stream with the built tool in a folder of the test's own.
#pragma once

#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/records.h"
#include "tool_runner.h"

namespace spoolhook::testing {

inline std::string Word(std::uint32_t value) {
  std::string bytes;
  for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((value >> shift) & 0xFF);
  return bytes;
}

// A data frame: u32 length, then the buffer of one DrvSplWritePrinter call.
inline std::string Data(const std::string& buffer) {
  return Word(static_cast<std::uint32_t>(buffer.size())) + buffer;
}
inline std::string Data(const Record& record) { return Data(record.bytes()); }

// A control frame: u32 0xFFFFFFFF, then the code.
inline std::string Control(std::uint32_t code) { return Word(0xFFFFFFFFu) + Word(code); }
constexpr std::uint32_t kStartPage = 1, kEndPage = 2, kAbort = 3, kEndDoc = 4, kNoBuffer = 5;

inline std::atomic<unsigned> playRunCounter{0};

class PlayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("spoolhook-play-test-" + std::to_string(::getpid()) + "-" +
            std::to_string(playRunCounter++));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
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
    std::filesystem::create_directories(dir_ / "root" / "C" / "OUT");
    return Path("root");
  }

  std::filesystem::path dir_;
};

}  // namespace spoolhook::testing
