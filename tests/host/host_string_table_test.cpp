// LoadStringW on the library's own string table.
#include <gtest/gtest.h>

#include "host/host_machine_test.h"
#include "resources/string_table.h"

namespace spoolhook::testing {
namespace {

class HostStringTable : public HostMachineTest {};

const std::u16string kCancelled = u"\n\nPrinting will be cancelled.";

TEST_F(HostStringTable, TheLibraryModuleIsTheAgreedHandle) {
  EXPECT_EQ(HostPlatform::LibraryModule(), reinterpret_cast<HMODULE>(kHostLibraryModule));
}

TEST_F(HostStringTable, AStringIsCopiedWithItsTerminator) {
  char16_t buffer[64];
  EXPECT_EQ(machine().LoadStringW(HostPlatform::LibraryModule(), 3021, buffer, 64),
            int(kCancelled.size()));
  EXPECT_EQ(std::u16string(buffer), kCancelled);
}

TEST_F(HostStringTable, ALongStringIsCutToTheBuffer) {
  char16_t buffer[8] = u"#######";
  EXPECT_EQ(machine().LoadStringW(HostPlatform::LibraryModule(), 3021, buffer, 5), 4);
  EXPECT_EQ(std::u16string(buffer), kCancelled.substr(0, 4));
  EXPECT_EQ(machine().LoadStringW(HostPlatform::LibraryModule(), 3021, buffer, 1), 0);
  EXPECT_EQ(buffer[0], u'\0');
}

TEST_F(HostStringTable, ASizeOfZeroGivesAPointerToTheText) {
  const char16_t* text = nullptr;
  const int length = machine().LoadStringW(HostPlatform::LibraryModule(), 3021,
                                           reinterpret_cast<char16_t*>(&text), 0);
  EXPECT_EQ(length, int(kCancelled.size()));
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::u16string(text, length), kCancelled);
}

TEST_F(HostStringTable, UnknownStringsAndModulesLoadNothing) {
  char16_t buffer[64] = u"untouched";
  EXPECT_EQ(machine().LoadStringW(HostPlatform::LibraryModule(), 9999, buffer, 64), 0);
  EXPECT_EQ(machine().GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
  HMODULE netapi = machine().LoadLibraryW(u"NETAPI32.Dll");
  EXPECT_EQ(machine().LoadStringW(netapi, 3021, buffer, 64), 0);
  EXPECT_EQ(machine().GetLastError(), ERROR_RESOURCE_DATA_NOT_FOUND);
  EXPECT_EQ(std::u16string(buffer), u"untouched");
  machine().FreeLibrary(netapi);
}

}  // namespace
}  // namespace spoolhook::testing
