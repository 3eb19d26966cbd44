// A job whose driver directory is the test's folder, into which the sample accounting
// plug-in can be installed as KVESDRV.DLL; the plug-in logs every call into the folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "jobinfo/driver_block.h"
#include "support/byte_block.h"
#include "support/job_fixture.h"

namespace spoolhook::testing {

// The sample plug-in reads these.
inline const char* const kSampleVariables[] = {"ACCOUNTING_SAMPLE_TEXT", "ACCOUNTING_SAMPLE_NUMBER",
                                               "ACCOUNTING_SAMPLE_VALUE",
                                               "ACCOUNTING_SAMPLE_HANDLE", "ACCOUNTING_SAMPLE_LOG"};

inline void SetEnvironment(const std::string& name, const std::string& value) {
#ifdef _WIN32
  _putenv((name + "=" + value).c_str());
#else
  setenv(name.c_str(), value.c_str(), 1);
#endif
}

inline void ClearEnvironment(const std::string& name) {
#ifdef _WIN32
  _putenv((name + "=").c_str());
#else
  unsetenv(name.c_str());
#endif
}

// The job's accounting path, as the settings record gives it and as the log shows it.
constexpr char kAccountingPath[] = "C:\\ACCT\\JOBS.DAT";
constexpr char kAccountingPathJson[] = R"("C:\\ACCT\\JOBS.DAT")";

// A record laid out by offsets.
inline Record RecordOf(const ByteBlock& block) {
  const std::string& bytes = block.bytes();
  std::uint32_t id = 0;
  for (int i = 3; i >= 0; --i) id = id << 8 | std::uint8_t(bytes[i]);
  return Record(id).Bytes(bytes.substr(8));
}

class AccountingTest : public JobTest {
 protected:
  AccountingTest() : JobTest(TestMachine::DriverPlace::kInFolder) {}

  void SetUp() override {
    JobTest::SetUp();
    for (const char* name : kSampleVariables) ClearEnvironment(name);
    SetEnvironment("ACCOUNTING_SAMPLE_LOG", machine_.NativePath(LogPath()));
    const std::string path(kAccountingPath, sizeof kAccountingPath);
    ASSERT_TRUE(Write(SettingsRecord(1, std::int32_t(path.size()), path)).result);
  }

  void TearDown() override {
    // A plug-in still held is released here, while its variables are still set.
    CloseJob();
    for (const char* name : kSampleVariables) ClearEnvironment(name);
  }

  DriverBlock& driver() { return *GetDriverBlock(job()); }
  std::string LogPath() { return machine_.Folder() + "PLUGIN.LOG"; }

  // Copies the built sample plug-in into the driver directory.
  void InstallPlugin() {
    std::ifstream file(ACCOUNTING_SAMPLE_PLUGIN_PATH, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    ASSERT_FALSE(bytes.empty()) << "cannot read " << ACCOUNTING_SAMPLE_PLUGIN_PATH;
    ASSERT_TRUE(machine_.WriteFileBytes(machine_.Folder() + "KVESDRV.DLL", bytes));
  }

  std::vector<std::string> LogLines() {
    std::istringstream text(machine_.ReadFileBytes(LogPath()));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
  }

  static std::string StartLine(const ByteBlock& start) {
    return std::string(R"({"call":"start","path":)") + kAccountingPathJson + R"(,"start":")" +
           start.hex() + R"("})";
  }
  static std::string EndLine(std::uint32_t handle, const ByteBlock& end) {
    return std::string(R"({"call":"end","path":)") + kAccountingPathJson + R"(,"handle":)" +
           std::to_string(handle) + R"(,"end":")" + end.hex() + R"("})";
  }

  unsigned Calls(const char* call) { return machine_.faults().CallCount(call); }
};

// Start records: 0x1070 with its words at 12, 16 and 20 and 32 bytes from 40; 0x1073 with
// no text items.
inline Record JobStartRecord() {
  return RecordOf(ByteBlock(72)
                      .U32(0, 0x1070)
                      .U32(8, 0xDEAD)
                      .U32(12, 0x11)
                      .U32(16, 0x22)
                      .U32(20, 0x33)
                      .U32(24, 0xEEEEEEEE)
                      .Text(40, "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345"));
}

inline Record TextJobStartRecord() { return RecordOf(ByteBlock(28).U32(0, 0x1073).U32(20, 0x44)); }

// End records: the word at 12, and for 0x1074 the total at 16.
inline Record JobEndRecord() { return RecordOf(ByteBlock(16).U32(0, 0x1071).U32(12, 0x5150)); }
inline Record TextJobEndRecord() {
  return RecordOf(ByteBlock(20).U32(0, 0x1074).U32(12, 0x5150).U32(16, 0x99));
}

// Entry records 0x1072 (112 bytes, five groups, byte 21 from 104, flag at 108) and 0x1075
// (100 bytes, four groups, byte 21 from 92, flag at 96), with `count` at 36.
inline Record EntryRecord(std::uint32_t id, std::uint32_t count, std::uint32_t flag = 0) {
  const bool first = id == 0x1072;
  ByteBlock block(first ? 112 : 100);
  block.U32(0, id)
      .U32(12, 0x101)
      .U32(16, 0x102)
      .U32(20, 0x103)
      .U32(24, 0x104)
      .U32(28, 0x105)
      .U32(32, 0xAABBCCDD)
      .U32(36, count)
      .U32(40, 0x1FF);
  for (std::uint32_t k = 0; k < (first ? 5u : 4u); ++k) {
    block.U32(44 + 12 * k, 0x61 + k).U32(48 + 12 * k, 0x71 + k).U32(52 + 12 * k, 0xFFFF0301 + k);
  }
  if (first) {
    block.U32(104, 0x77).U32(108, flag);
  } else {
    block.U32(92, 0x88).U32(96, flag);
  }
  return RecordOf(block);
}

}  // namespace spoolhook::testing
