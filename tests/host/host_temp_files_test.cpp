// The temporary folder and GetTempFileNameA: "<path>\<pre><uuuu>.TMP" with up to three
// prefix characters and the unique number in hexadecimal; a number of 0 asks for a unique
// one and creates the empty file.
#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <set>

#include "host/host_machine_test.h"

namespace spoolhook::testing {
namespace {

class HostTempFiles : public HostMachineTest {
 protected:
  std::string Hex(UINT value) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%X", value);
    return digits;
  }
};

TEST_F(HostTempFiles, TheTempPathFollowsTheBufferSizeProtocol) {
  char buffer[16];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(machine().GetTempPathA(0, nullptr), 9u);  // "C:\TEMP\" and its terminator
  EXPECT_EQ(machine().GetTempPathA(8, buffer), 9u);
  EXPECT_EQ(buffer[0], '#');  // nothing written
  EXPECT_EQ(machine().GetTempPathA(9, buffer), 8u);
  EXPECT_STREQ(buffer, "C:\\TEMP\\");
}

TEST_F(HostTempFiles, TheTempFolderIsCreated) {
  EXPECT_TRUE(std::filesystem::is_directory(Host("C/TEMP")));
  HostMachineConfig config;
  config.tempPath = "D:\\Spool\\Work\\";
  Restart(config);
  EXPECT_TRUE(std::filesystem::is_directory(Host("D/Spool/Work")));
  char buffer[32];
  EXPECT_EQ(machine().GetTempPathA(sizeof buffer, buffer), 14u);
  EXPECT_STREQ(buffer, "D:\\Spool\\Work\\");
}

TEST_F(HostTempFiles, AUniqueNameCreatesAnEmptyFile) {
  char name[260];
  const UINT unique = machine().GetTempFileNameA("C:\\", "SPLX", 0, name);
  ASSERT_NE(unique, 0u);
  EXPECT_LE(unique, 0xFFFFu);
  EXPECT_TRUE(std::regex_match(name, std::regex(R"(C:\\SPL[0-9A-F]{1,4}\.TMP)"))) << name;
  EXPECT_EQ(std::string(name), "C:\\SPL" + Hex(unique) + ".TMP");
  const std::filesystem::path host = Host("C/SPL" + Hex(unique) + ".TMP");
  ASSERT_TRUE(std::filesystem::is_regular_file(host));
  EXPECT_EQ(std::filesystem::file_size(host), 0u);
  EXPECT_EQ(machine().OpenHandleCount(), 0u);  // the file is closed again
}

TEST_F(HostTempFiles, UniqueNamesNeverRepeat) {
  std::set<std::string> names;
  for (int i = 0; i < 50; ++i) {
    char name[260];
    ASSERT_NE(machine().GetTempFileNameA("C:\\TEMP", "AB", 0, name), 0u);
    EXPECT_TRUE(std::regex_match(name, std::regex(R"(C:\\TEMP\\AB[0-9A-F]{1,4}\.TMP)"))) << name;
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 50u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Host("C/TEMP")),
                          std::filesystem::directory_iterator()),
            50);
}

TEST_F(HostTempFiles, AGivenNumberOnlyFormsTheName) {
  char name[260];
  EXPECT_EQ(machine().GetTempFileNameA("C:\\TEMP\\", "ABCDEF", 0x1A2B, name), 0x1A2Bu);
  EXPECT_STREQ(name, "C:\\TEMP\\ABC1A2B.TMP");
  EXPECT_FALSE(std::filesystem::exists(Host("C/TEMP/ABC1A2B.TMP")));
  // Only the low 16 bits of the number are used.
  EXPECT_EQ(machine().GetTempFileNameA("C:\\TEMP\\", "X", 0x12345, name), 0x12345u);
  EXPECT_STREQ(name, "C:\\TEMP\\X2345.TMP");
}

TEST_F(HostTempFiles, AFolderThatIsNotThereFails) {
  WriteHostFile("C/TEMP/file", "");
  const struct {
    const char* path;
    DWORD error;
  } cases[] = {
      {"C:\\NOPE\\", ERROR_DIRECTORY},
      {"C:\\TEMP\\file", ERROR_DIRECTORY},
      {"Q:\\", ERROR_PATH_NOT_FOUND},
  };
  for (const auto& c : cases) {
    char name[260] = "untouched";
    EXPECT_EQ(machine().GetTempFileNameA(c.path, "SPL", 0, name), 0u);
    EXPECT_EQ(machine().GetLastError(), c.error) << c.path;
    EXPECT_STREQ(name, "untouched");
  }
}

TEST_F(HostTempFiles, AFolderLongerThanMaxPathLessFourteenFails) {
  char name[260];
  const std::string tooLong = "C:\\" + std::string(244, 'a');  // 247 characters
  EXPECT_EQ(machine().GetTempFileNameA(tooLong.c_str(), "SPL", 0x10, name), 0u);
  EXPECT_EQ(machine().GetLastError(), ERROR_BUFFER_OVERFLOW);
}

}  // namespace
}  // namespace spoolhook::testing
