// The clock, the version number and the account and computer names.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <thread>

#include "host/host_machine_test.h"

namespace spoolhook::testing {
namespace {

class HostSystemInfo : public HostMachineTest {};

bool SameTime(const SYSTEMTIME& a, const SYSTEMTIME& b) {
  return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDayOfWeek == b.wDayOfWeek &&
         a.wDay == b.wDay && a.wHour == b.wHour && a.wMinute == b.wMinute &&
         a.wSecond == b.wSecond && a.wMilliseconds == b.wMilliseconds;
}

std::tm AsTm(const SYSTEMTIME& time) {
  std::tm parts{};
  parts.tm_year = time.wYear - 1900;
  parts.tm_mon = time.wMonth - 1;
  parts.tm_mday = time.wDay;
  parts.tm_hour = time.wHour;
  parts.tm_min = time.wMinute;
  parts.tm_sec = time.wSecond;
  parts.tm_isdst = -1;
  return parts;
}

TEST_F(HostSystemInfo, AFrozenClockGivesTheSameTimeBothWays) {
  HostMachineConfig config;
  config.frozenTime = SYSTEMTIME{2024, 2, 4, 29, 13, 45, 30, 123};  // a Thursday
  Restart(config);
  SYSTEMTIME system{}, local{};
  machine().GetSystemTime(&system);
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  machine().GetLocalTime(&local);
  EXPECT_TRUE(SameTime(system, *config.frozenTime));
  EXPECT_TRUE(SameTime(local, *config.frozenTime));
}

TEST_F(HostSystemInfo, TheRealClockGivesUtcAndLocalTime) {
  // The same clock as the machine's: time() may read a coarser one that lags behind it.
  const auto now = [] {
    return std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  };
  const std::time_t before = now();
  SYSTEMTIME system{}, local{};
  machine().GetSystemTime(&system);
  machine().GetLocalTime(&local);
  const std::time_t after = now();

  std::tm utc = AsTm(system);
  const std::time_t systemSeconds = ::timegm(&utc);
  EXPECT_GE(systemSeconds, before);
  EXPECT_LE(systemSeconds, after);
  EXPECT_EQ(system.wDayOfWeek, utc.tm_wday);  // 0 is Sunday, as both count
  EXPECT_LT(system.wMilliseconds, 1000);

  std::tm localParts = AsTm(local);
  const std::time_t localSeconds = std::mktime(&localParts);
  EXPECT_GE(localSeconds, before);
  EXPECT_LE(localSeconds, after);
  EXPECT_EQ(local.wDayOfWeek, localParts.tm_wday);
}

TEST_F(HostSystemInfo, TheVersionPacksMajorMinorAndBuild) {
  // Low byte the major version, next byte the minor one, high word the build, bit 31 clear.
  EXPECT_EQ(machine().GetVersion(), 0x1DB10106u);  // 6.1, build 7601
  HostMachineConfig config;
  config.osMajor = 5;
  config.osMinor = 2;
  Restart(config);
  EXPECT_EQ(machine().GetVersion(), 0x1DB10205u);
}

TEST_F(HostSystemInfo, TheUserNameCountsItsTerminator) {
  HostMachineConfig config;
  config.account = u"jdoe";
  Restart(config);
  char16_t buffer[8] = u"#######";
  DWORD size = 4;
  EXPECT_FALSE(machine().GetUserNameW(buffer, &size));
  EXPECT_EQ(machine().GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(buffer[0], u'#');
  EXPECT_TRUE(machine().GetUserNameW(buffer, &size));
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(std::u16string(buffer), u"jdoe");
}

TEST_F(HostSystemInfo, TheComputerNameCountsItsTerminatorOnlyWhenTooLong) {
  char16_t buffer[16] = u"###############";
  DWORD size = 8;  // "PRINTSRV" needs 9 with its terminator
  EXPECT_FALSE(machine().GetComputerNameW(buffer, &size));
  EXPECT_EQ(machine().GetLastError(), ERROR_BUFFER_OVERFLOW);
  EXPECT_EQ(size, 9u);
  EXPECT_EQ(buffer[0], u'#');
  EXPECT_TRUE(machine().GetComputerNameW(buffer, &size));
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(std::u16string(buffer), u"PRINTSRV");
}

}  // namespace
}  // namespace spoolhook::testing
