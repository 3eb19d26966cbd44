// Free disk space: the configured number of free clusters (8 sectors of 512 bytes each), or
// the host file system's own figures.
#include <gtest/gtest.h>
#include <sys/statvfs.h>

#include "host/host_machine_test.h"

namespace spoolhook::testing {
namespace {

constexpr ULONGLONG kClusterBytes = 8 * 512;

class HostDiskSpace : public HostMachineTest {
 protected:
  HostDiskSpace() { MakeFolder("UNC/SRV/SHR/Forms"); }
  void Configure(ULONGLONG freeClusters) {
    HostMachineConfig config;
    config.freeClusters = freeClusters;
    Restart(config);
  }
};

TEST_F(HostDiskSpace, ReportsTheConfiguredFreeClusters) {
  Configure(1000);
  DWORD sectors = 0, bytes = 0, freeClusters = 0, total = 0;
  ASSERT_TRUE(machine().GetDiskFreeSpaceW(u"C:\\", &sectors, &bytes, &freeClusters, &total));
  EXPECT_EQ(sectors, 8u);
  EXPECT_EQ(bytes, 512u);
  EXPECT_EQ(freeClusters, 1000u);
  EXPECT_GE(total, 1000u);

  ULONGLONG caller = 0, totalBytes = 0, totalFree = 0;
  ASSERT_TRUE(machine().GetDiskFreeSpaceExW(u"C:\\TEMP", &caller, &totalBytes, &totalFree));
  EXPECT_EQ(caller, 1000 * kClusterBytes);
  EXPECT_EQ(totalFree, 1000 * kClusterBytes);
  EXPECT_EQ(totalBytes, ULONGLONG{total} * kClusterBytes);
}

TEST_F(HostDiskSpace, AFullDiskSucceedsWithNothingFree) {
  Configure(0);
  DWORD sectors = 0, bytes = 0, freeClusters = 7, total = 0;
  ASSERT_TRUE(machine().GetDiskFreeSpaceW(u"C:\\", &sectors, &bytes, &freeClusters, &total));
  EXPECT_EQ(freeClusters, 0u);
  EXPECT_GT(total, 0u);
  ULONGLONG caller = 7, totalFree = 7;
  ASSERT_TRUE(machine().GetDiskFreeSpaceExW(u"\\\\SRV\\SHR", &caller, nullptr, &totalFree));
  EXPECT_EQ(caller, 0u);
  EXPECT_EQ(totalFree, 0u);
}

TEST_F(HostDiskSpace, ClusterCountsAreClampedTo32Bits) {
  Configure(0x123456789ull);
  DWORD freeClusters = 0, total = 0;
  ASSERT_TRUE(machine().GetDiskFreeSpaceW(u"C:\\", nullptr, nullptr, &freeClusters, &total));
  EXPECT_EQ(freeClusters, 0xFFFFFFFFu);
  EXPECT_EQ(total, 0xFFFFFFFFu);
  ULONGLONG caller = 0;
  ASSERT_TRUE(machine().GetDiskFreeSpaceExW(u"C:\\", &caller, nullptr, nullptr));
  EXPECT_EQ(caller, 0x123456789ull * kClusterBytes);
}

TEST_F(HostDiskSpace, SharesAndTheirFoldersAreMeasuredToo) {
  Configure(5);
  DWORD freeClusters = 0;
  EXPECT_TRUE(
      machine().GetDiskFreeSpaceW(u"\\\\SRV\\SHR\\", nullptr, nullptr, &freeClusters, nullptr));
  EXPECT_EQ(freeClusters, 5u);
  ULONGLONG caller = 0;
  EXPECT_TRUE(machine().GetDiskFreeSpaceExW(u"\\\\srv\\shr\\Forms\\", &caller, nullptr, nullptr));
  EXPECT_EQ(caller, 5 * kClusterBytes);
}

TEST_F(HostDiskSpace, MissingDrivesSharesAndFoldersFail) {
  Configure(5);
  const std::u16string missing[] = {u"Q:\\", u"\\\\SRV\\NONE\\", u"\\\\NOBODY\\SHR\\",
                                    u"C:\\NOPE\\"};
  for (const std::u16string& root : missing) {
    DWORD freeClusters = 0;
    ULONGLONG caller = 0;
    EXPECT_FALSE(
        machine().GetDiskFreeSpaceW(root.c_str(), nullptr, nullptr, &freeClusters, nullptr));
    EXPECT_EQ(machine().GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(machine().GetDiskFreeSpaceExW(root.c_str(), &caller, nullptr, nullptr));
    EXPECT_EQ(machine().GetLastError(), ERROR_PATH_NOT_FOUND);
  }
}

TEST_F(HostDiskSpace, WithoutAConfiguredFigureTheHostIsMeasured) {
  struct statvfs host;
  ASSERT_EQ(::statvfs(root().c_str(), &host), 0);
  ULONGLONG caller = 0, totalBytes = 0, totalFree = 0;
  ASSERT_TRUE(machine().GetDiskFreeSpaceExW(u"C:\\", &caller, &totalBytes, &totalFree));
  EXPECT_EQ(totalBytes, ULONGLONG{host.f_blocks} * host.f_frsize);
  EXPECT_LE(caller, totalFree);
  EXPECT_LE(totalFree, totalBytes);

  DWORD sectors = 0, bytes = 0, freeClusters = 0, total = 0;
  ASSERT_TRUE(machine().GetDiskFreeSpaceW(u"C:\\", &sectors, &bytes, &freeClusters, &total));
  EXPECT_EQ(ULONGLONG{sectors} * bytes, ULONGLONG{host.f_frsize});
  EXPECT_LE(freeClusters, total);
}

}  // namespace
}  // namespace spoolhook::testing
