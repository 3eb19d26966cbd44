// The ANSI code page Windows-1252 and the buffer-size protocol of the conversion calls.
#include <gtest/gtest.h>

#include <cstring>

#include "host/host_machine_test.h"

namespace spoolhook::testing {
namespace {

class HostCodePage : public HostMachineTest {
 protected:
  std::u16string ToWide(const std::string& ansi) {
    char16_t wide[300] = {};
    const int count =
        machine().MultiByteToWideChar(CP_ACP, 0, ansi.data(), int(ansi.size()), wide, 300);
    return std::u16string(wide, count);
  }
  std::string ToAnsi(const std::u16string& wide, BOOL* usedDefault = nullptr,
                     const char* defaultChar = nullptr) {
    char ansi[300] = {};
    const int count = machine().WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), ansi,
                                                    300, defaultChar, usedDefault);
    return std::string(ansi, count);
  }
};

// Bytes 0x80 to 0x9F as Windows-1252 defines them; the five it leaves undefined stand for the
// control characters of the same value. Every other byte is its Latin-1 character.
constexpr char16_t kHighControlRange[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

TEST_F(HostCodePage, TheAnsiCodePageIs1252) { EXPECT_EQ(machine().GetACP(), 1252u); }

TEST_F(HostCodePage, EveryByteRoundTrips) {
  for (int byte = 1; byte < 256; ++byte) {
    const char16_t expected =
        byte >= 0x80 && byte <= 0x9F ? kHighControlRange[byte - 0x80] : char16_t(byte);
    const std::string ansi(1, char(byte));
    EXPECT_EQ(ToWide(ansi), std::u16string(1, expected)) << byte;
    BOOL usedDefault = TRUE;
    EXPECT_EQ(ToAnsi(std::u16string(1, expected), &usedDefault), ansi) << byte;
    EXPECT_FALSE(usedDefault) << byte;
  }
}

TEST_F(HostCodePage, CodePage1252IsTheAnsiCodePageByNumberToo) {
  char16_t wide[4] = {};
  EXPECT_EQ(machine().MultiByteToWideChar(CP_WINDOWS_1252, 0, "\x80", 1, wide, 4), 1);
  EXPECT_EQ(wide[0], u'\u20AC');
  char ansi[4] = {};
  EXPECT_EQ(
      machine().WideCharToMultiByte(CP_WINDOWS_1252, 0, u"\u0160", 1, ansi, 4, nullptr, nullptr),
      1);
  EXPECT_EQ(ansi[0], '\x8A');
}

TEST_F(HostCodePage, UnmappableCharactersBecomeTheDefaultCharacter) {
  BOOL usedDefault = FALSE;
  EXPECT_EQ(ToAnsi(u"A\u0100B\u0080C\u4E2D", &usedDefault), "A?B?C?");
  EXPECT_TRUE(usedDefault);
  EXPECT_EQ(ToAnsi(u"A\u0100", &usedDefault, "#"), "A#");
  EXPECT_TRUE(usedDefault);
}

TEST_F(HostCodePage, ACountOfMinusOneIncludesTheTerminator) {
  char ansi[8];
  std::memset(ansi, '#', sizeof ansi);
  EXPECT_EQ(machine().WideCharToMultiByte(CP_ACP, 0, u"ab\u00E9", -1, ansi, 8, nullptr, nullptr),
            4);
  EXPECT_EQ(std::string(ansi, 4), std::string("ab\xE9\0", 4));
  char16_t wide[8];
  EXPECT_EQ(machine().MultiByteToWideChar(CP_ACP, 0, "ab\xE9", -1, wide, 8), 4);
  EXPECT_EQ(std::u16string(wide, 4), std::u16string(u"ab\u00E9\0", 4));
}

TEST_F(HostCodePage, ASizeOfZeroAsksForTheSizeNeeded) {
  EXPECT_EQ(machine().WideCharToMultiByte(CP_ACP, 0, u"abc", -1, nullptr, 0, nullptr, nullptr), 4);
  EXPECT_EQ(machine().MultiByteToWideChar(CP_ACP, 0, "abc", 3, nullptr, 0), 3);
}

TEST_F(HostCodePage, ATooSmallBufferFails) {
  char ansi[3];
  EXPECT_EQ(machine().WideCharToMultiByte(CP_ACP, 0, u"abc", -1, ansi, 3, nullptr, nullptr), 0);
  EXPECT_EQ(machine().GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  char16_t wide[3];
  EXPECT_EQ(machine().MultiByteToWideChar(CP_ACP, 0, "abc", -1, wide, 3), 0);
  EXPECT_EQ(machine().GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST_F(HostCodePage, OtherCodePagesAndBadCountsAreInvalidParameters) {
  char ansi[8];
  char16_t wide[8];
  EXPECT_EQ(machine().WideCharToMultiByte(437, 0, u"a", 1, ansi, 8, nullptr, nullptr), 0);
  EXPECT_EQ(machine().GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(machine().MultiByteToWideChar(65001, 0, "a", 1, wide, 8), 0);
  EXPECT_EQ(machine().GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(machine().WideCharToMultiByte(CP_ACP, 0, u"a", 0, ansi, 8, nullptr, nullptr), 0);
  EXPECT_EQ(machine().GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(machine().MultiByteToWideChar(CP_ACP, 0, "a", -2, wide, 8), 0);
  EXPECT_EQ(machine().GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
}  // namespace spoolhook::testing
