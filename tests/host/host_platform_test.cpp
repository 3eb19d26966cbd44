// What the machine does as a whole: per-thread last errors, the built-in machine, the
// spooler calls it leaves to the simulated spooler, and calls whose caller memory faults.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "host/host_machine_test.h"
#include "platform/exception_guard.h"
#include "support/inaccessible_memory.h"

namespace spoolhook::testing {
namespace {

class HostPlatformTest : public HostMachineTest {};

TEST_F(HostPlatformTest, EachThreadHasItsOwnLastError) {
  machine().SetLastError(ERROR_DISK_FULL);
  DWORD seenByOtherThread = 1;
  std::thread other([&] {
    seenByOtherThread = machine().GetLastError();
    machine().SetLastError(ERROR_ACCESS_DENIED);
  });
  other.join();
  EXPECT_EQ(seenByOtherThread, ERROR_SUCCESS);
  EXPECT_EQ(machine().GetLastError(), ERROR_DISK_FULL);
}

TEST_F(HostPlatformTest, TheBuiltInMachineLivesInTheHostsTemporaryFolder) {
  auto* builtIn = dynamic_cast<HostPlatform*>(&BuiltInPlatform());
  ASSERT_NE(builtIn, nullptr);
  EXPECT_EQ(&BuiltInPlatform(), builtIn);
  EXPECT_EQ(builtIn->config().root, std::filesystem::temp_directory_path() / "spoolhook-machine");
  EXPECT_TRUE(std::filesystem::is_directory(builtIn->config().root / "C" / "TEMP"));
}

TEST_F(HostPlatformTest, TheHostHasNoSpoolerOfItsOwn) {
  BYTE buffer[64];
  DWORD count = 0;
  EXPECT_FALSE(machine().WritePrinter(nullptr, "x", 1, &count));
  EXPECT_EQ(machine().GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(machine().GetPrinterDriverW(nullptr, nullptr, 2, buffer, sizeof buffer, &count));
  EXPECT_EQ(machine().GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(machine().GetJobW(nullptr, 1, 2, buffer, sizeof buffer, &count));
  EXPECT_EQ(machine().GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(machine().GetPrinterW(nullptr, 2, buffer, sizeof buffer, &count));
  EXPECT_EQ(machine().GetLastError(), ERROR_INVALID_HANDLE);
}

// A fault in the caller's memory ends the guarded call; the machine must not be left locked,
// so every call afterwards still works (a held lock would hang them).
TEST_F(HostPlatformTest, AFaultInCallerMemoryLeavesNoLockHeld) {
  HostMachineConfig config;
  config.registryKeys = {u"System"};
  Restart(config);
  InaccessibleMemory memory;
  auto* hole = reinterpret_cast<char16_t*>(memory.hole());
  HKEY* keyInHole = reinterpret_cast<HKEY*>(memory.hole());
  auto currentDirectory = [&] { machine().GetCurrentDirectoryW(260, hole); };
  auto openKey = [&] { machine().RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"System", 0, 0, keyInHole); };
  auto tempName = [&] {
    machine().GetTempFileNameA("C:\\TEMP\\", "SPL", 0, reinterpret_cast<char*>(memory.hole()));
  };
  auto fileName = [&] {
    machine().CreateFileW(hole, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  };
  EXPECT_FALSE(RunGuarded(currentDirectory));
  EXPECT_FALSE(RunGuarded(openKey));
  EXPECT_FALSE(RunGuarded(tempName));
  EXPECT_FALSE(RunGuarded(fileName));

  char16_t buffer[16];
  EXPECT_EQ(machine().GetCurrentDirectoryW(16, buffer), 3u);
  HKEY key = nullptr;
  EXPECT_EQ(machine().RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"System", 0, 0, &key),
            LONG(ERROR_SUCCESS));
  EXPECT_EQ(machine().RegCloseKey(key), LONG(ERROR_SUCCESS));
  void* block = machine().HeapAlloc(machine().GetProcessHeap(), 0, 8);
  EXPECT_TRUE(machine().HeapFree(machine().GetProcessHeap(), 0, block));
}

}  // namespace
}  // namespace spoolhook::testing
