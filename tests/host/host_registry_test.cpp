// The registry: configured keys under HKEY_LOCAL_MACHINE, their parents, and key handles.
#include <gtest/gtest.h>

#include "host/host_machine_test.h"

namespace spoolhook::testing {
namespace {

class HostRegistry : public HostMachineTest {
 protected:
  HostRegistry() {
    HostMachineConfig config;
    config.registryKeys = {
        u"System\\CurrentControlSet\\control\\Print\\Monitors\\LPR Port\\Ports\\"
        u"PORT1"};
    Restart(config);
  }
  LONG Open(HKEY parent, const std::u16string& path, HKEY* key) {
    return machine().RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, key);
  }
};

TEST_F(HostRegistry, ListedKeysAndTheirParentsOpenWhateverTheCase) {
  const std::u16string paths[] = {
      u"System\\CurrentControlSet\\control\\Print\\Monitors\\LPR Port\\Ports\\PORT1",
      u"SYSTEM\\currentcontrolset\\Control\\PRINT\\monitors\\lpr port\\ports\\port1",
      u"System\\CurrentControlSet\\control\\Print\\Monitors\\LPR Port\\Ports",
      u"System",
  };
  for (const std::u16string& path : paths) {
    HKEY key = nullptr;
    EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, path, &key), LONG(ERROR_SUCCESS))
        << std::string(path.begin(), path.end());
    EXPECT_NE(key, nullptr);
    EXPECT_EQ(machine().OpenHandleCount(), 1u);
    EXPECT_EQ(machine().RegCloseKey(key), LONG(ERROR_SUCCESS));
    EXPECT_EQ(machine().OpenHandleCount(), 0u);
  }
}

TEST_F(HostRegistry, OtherKeysAreNotFound) {
  const std::u16string paths[] = {
      u"System\\CurrentControlSet\\control\\Print\\Monitors\\LPR Port\\Ports\\PORT2",
      u"System\\CurrentControlSet\\control\\Print\\Monitors\\LPR Port\\Ports\\PORT1\\Sub",
      u"System\\Current",  // names match whole, never in part
      u"Software",
  };
  for (const std::u16string& path : paths) {
    HKEY key = nullptr;
    EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, path, &key), LONG(ERROR_FILE_NOT_FOUND))
        << std::string(path.begin(), path.end());
  }
  EXPECT_EQ(machine().OpenHandleCount(), 0u);
}

TEST_F(HostRegistry, SubKeysOpenBelowAnOpenKey) {
  HKEY parent = nullptr, child = nullptr;
  ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, u"System\\CurrentControlSet", &parent), LONG(ERROR_SUCCESS));
  EXPECT_EQ(Open(parent, u"Control\\Print\\Monitors\\LPR Port\\Ports\\Port1", &child),
            LONG(ERROR_SUCCESS));
  EXPECT_EQ(Open(parent, u"Ports", &child), LONG(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(machine().RegCloseKey(child), LONG(ERROR_SUCCESS));
  EXPECT_EQ(machine().RegCloseKey(parent), LONG(ERROR_SUCCESS));
}

TEST_F(HostRegistry, BadKeyHandlesAreRefused) {
  HKEY key = nullptr;
  ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, u"System", &key), LONG(ERROR_SUCCESS));
  // A key is not a file: CloseHandle leaves it open.
  EXPECT_FALSE(machine().CloseHandle(key));
  EXPECT_EQ(machine().GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(machine().RegCloseKey(key), LONG(ERROR_SUCCESS));
  EXPECT_EQ(machine().RegCloseKey(key), LONG(ERROR_INVALID_HANDLE));
  HKEY child = nullptr;
  EXPECT_EQ(Open(key, u"CurrentControlSet", &child), LONG(ERROR_INVALID_HANDLE));
}

}  // namespace
}  // namespace spoolhook::testing
