// The behaviour of the real system calls that the library relies on, and that the host
// platform simulates: error codes, sharing, temporary names, registry keys, the ANSI code
// page, the buffer-size rules of the name calls, module loading and the string table.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "resources/string_table.h"
#include "support/test_machine.h"
#include "win32/built_library.h"

extern "C" {
__declspec(dllimport) spoolhook::LONG WINAPI
    RegCreateKeyExW(spoolhook::HKEY key, const char16_t* subKey, spoolhook::DWORD reserved,
                    char16_t* keyClass, spoolhook::DWORD options, spoolhook::REGSAM access,
                    void* security, spoolhook::HKEY* result, spoolhook::DWORD* disposition);
__declspec(dllimport) spoolhook::LONG WINAPI
    RegDeleteKeyW(spoolhook::HKEY key, const char16_t* subKey);
}

namespace spoolhook::testing {
namespace {

constexpr DWORD ERROR_BUFFER_OVERFLOW = 111;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;
const HKEY HKEY_CURRENT_USER = reinterpret_cast<HKEY>(std::uintptr_t{0x80000001u});

class Win32PlatformTest : public ::testing::Test {
 protected:
  HANDLE Open(const std::string& name, DWORD access, DWORD share, DWORD disposition) {
    return os_.CreateFileA(name.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
  }
  std::string Path(const std::string& name) const { return machine_.Folder() + name; }

  TestMachine machine_;
  Platform& os_ = BuiltInPlatform();
};

TEST_F(Win32PlatformTest, WritesSeeksReadsAndDeletesAFile) {
  const std::string name = Path("data.bin");
  HANDLE file = Open(name, GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD count = 0;
  EXPECT_TRUE(os_.WriteFile(file, "hello world", 11, &count, nullptr));
  EXPECT_EQ(count, 11u);
  EXPECT_EQ(os_.GetFileSize(file, nullptr), 11u);
  EXPECT_EQ(os_.SetFilePointer(file, 6, nullptr, FILE_BEGIN), 6u);
  char buffer[16] = {};
  EXPECT_TRUE(os_.ReadFile(file, buffer, sizeof buffer, &count, nullptr));
  EXPECT_EQ(std::string(buffer, count), "world");
  // At the end a read succeeds with nothing read: the end of every copy loop.
  EXPECT_TRUE(os_.ReadFile(file, buffer, sizeof buffer, &count, nullptr));
  EXPECT_EQ(count, 0u);
  EXPECT_TRUE(os_.CloseHandle(file));

  EXPECT_TRUE(os_.DeleteFileA(name.c_str()));
  EXPECT_EQ(os_.GetFileAttributesW(Wide(name).c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(os_.GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(Win32PlatformTest, ReportsMissingAndExistingFilesWithTheirCodes) {
  struct Case {
    std::string name;
    DWORD disposition;
    DWORD error;
  };
  ASSERT_TRUE(machine_.WriteFileBytes(Path("there.txt"), "x"));
  const Case cases[] = {
      {Path("missing.txt"), OPEN_EXISTING, ERROR_FILE_NOT_FOUND},
      {Path("no-folder\\missing.txt"), OPEN_EXISTING, ERROR_PATH_NOT_FOUND},
      {Path("there.txt"), CREATE_NEW, ERROR_FILE_EXISTS},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Open(c.name, GENERIC_READ, 0, c.disposition), INVALID_HANDLE_VALUE);
    EXPECT_EQ(os_.GetLastError(), c.error);
  }
  EXPECT_FALSE(os_.DeleteFileW(Wide(Path("missing.txt")).c_str()));
  EXPECT_EQ(os_.GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(Win32PlatformTest, AFileOpenWithoutSharingRefusesASecondOpen) {
  const std::string name = Path("locked.txt");
  HANDLE writer = Open(name, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  HANDLE reader = Open(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  EXPECT_NE(reader, INVALID_HANDLE_VALUE);
  os_.CloseHandle(reader);
  // A second writer is not let in by a handle that shares reading only.
  EXPECT_EQ(Open(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(os_.GetLastError(), ERROR_SHARING_VIOLATION);
  os_.CloseHandle(writer);

  HANDLE exclusive = Open(name, GENERIC_READ, 0, OPEN_EXISTING);
  ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Open(name, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(os_.GetLastError(), ERROR_SHARING_VIOLATION);
  os_.CloseHandle(exclusive);
}

TEST_F(Win32PlatformTest, TemporaryNamesAreNewFilesInTheGivenFolder) {
  char temp[260] = {};
  const DWORD length = os_.GetTempPathA(sizeof temp, temp);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(temp[length - 1], '\\');

  char first[260] = {};
  char second[260] = {};
  const std::string folder = machine_.Folder();
  ASSERT_NE(os_.GetTempFileNameA(folder.c_str(), "SPL", 0, first), 0u);
  ASSERT_NE(os_.GetTempFileNameA(folder.c_str(), "SPL", 0, second), 0u);
  EXPECT_NE(std::string(first), std::string(second));
  for (const std::string name : {first, second}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(name.rfind(folder + "SPL", 0), 0u);
    EXPECT_EQ(name.substr(name.size() - 4), ".tmp");
    EXPECT_TRUE(machine_.FileExists(name));
  }
}

TEST_F(Win32PlatformTest, OpensRegistryKeysThatExistOnly) {
  const char16_t* const created = u"Software\\spoolhook-test\\Ports";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, created, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            LONG{ERROR_SUCCESS});
  os_.RegCloseKey(key);

  HKEY opened = nullptr;
  EXPECT_EQ(os_.RegOpenKeyExW(HKEY_CURRENT_USER, created, 0, KEY_READ, &opened),
            LONG{ERROR_SUCCESS});
  EXPECT_EQ(os_.RegCloseKey(opened), LONG{ERROR_SUCCESS});
  EXPECT_EQ(
      os_.RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0,
                        KEY_READ, &opened),
      LONG{ERROR_SUCCESS});
  os_.RegCloseKey(opened);
  EXPECT_EQ(os_.RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\spoolhook-test\\Missing", 0, KEY_READ,
                              &opened),
            LONG{ERROR_FILE_NOT_FOUND});

  RegDeleteKeyW(HKEY_CURRENT_USER, created);
  RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\spoolhook-test");
}

TEST_F(Win32PlatformTest, ConvertsBetweenUtf16AndWindows1252) {
  EXPECT_EQ(os_.GetACP(), CP_WINDOWS_1252);
  struct Case {
    std::u16string wide;
    std::string ansi;
  };
  const Case cases[] = {
      {u"Caf\u00E9", "Caf\xE9"},
      {u"\u20AC 5", "\x80 5"},
      {u"\u201Cq\u201D", "\x93q\x94"},
      {u"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ansi);
    char ansi[16] = {};
    // A count of -1 converts the terminator too and counts it.
    EXPECT_EQ(
        os_.WideCharToMultiByte(CP_ACP, 0, c.wide.c_str(), -1, ansi, sizeof ansi, nullptr, nullptr),
        static_cast<int>(c.ansi.size() + 1));
    EXPECT_EQ(std::string(ansi), c.ansi);
    char16_t wide[16] = {};
    EXPECT_EQ(os_.MultiByteToWideChar(CP_ACP, 0, c.ansi.c_str(), -1, wide, 16),
              static_cast<int>(c.wide.size() + 1));
    EXPECT_EQ(std::u16string(wide), c.wide);
  }
}

TEST_F(Win32PlatformTest, ConversionMeasuresAndReplacesWhatTheCodePageLacks) {
  EXPECT_EQ(os_.WideCharToMultiByte(CP_ACP, 0, u"abc", -1, nullptr, 0, nullptr, nullptr), 4);
  char ansi[8] = {};
  BOOL usedDefault = FALSE;
  EXPECT_EQ(
      os_.WideCharToMultiByte(CP_ACP, 0, u"a\u4E2Db", 3, ansi, sizeof ansi, nullptr, &usedDefault),
      3);
  EXPECT_EQ(std::string(ansi, 3), "a?b");
  EXPECT_TRUE(usedDefault);
  EXPECT_EQ(os_.WideCharToMultiByte(CP_ACP, 0, u"abcdef", -1, ansi, 3, nullptr, nullptr), 0);
  EXPECT_EQ(os_.GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST_F(Win32PlatformTest, NameCallsCountTheTerminatorAsDocumented) {
  char16_t name[130] = {};
  DWORD size = 130;
  ASSERT_TRUE(os_.GetComputerNameW(name, &size));
  const DWORD computerLength = static_cast<DWORD>(std::u16string(name).size());
  EXPECT_EQ(size, computerLength);  // without the terminator
  size = 1;
  EXPECT_FALSE(os_.GetComputerNameW(name, &size));
  EXPECT_EQ(os_.GetLastError(), ERROR_BUFFER_OVERFLOW);
  EXPECT_EQ(size, computerLength + 1);

  size = 130;
  ASSERT_TRUE(os_.GetUserNameW(name, &size));
  const DWORD userLength = static_cast<DWORD>(std::u16string(name).size());
  EXPECT_EQ(size, userLength + 1);  // with the terminator
  size = 1;
  EXPECT_FALSE(os_.GetUserNameW(name, &size));
  EXPECT_EQ(os_.GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(size, userLength + 1);
}

TEST_F(Win32PlatformTest, LoadsTheNetworkLibraryByItsName) {
  HMODULE netapi = os_.LoadLibraryW(u"NETAPI32.Dll");
  ASSERT_NE(netapi, nullptr);
  EXPECT_NE(os_.GetProcAddress(netapi, "NetMessageBufferSend"), nullptr);
  EXPECT_EQ(os_.GetProcAddress(netapi, "NoSuchExport"), nullptr);
  EXPECT_EQ(os_.GetLastError(), ERROR_PROC_NOT_FOUND);
  EXPECT_TRUE(os_.FreeLibrary(netapi));

  EXPECT_EQ(os_.LoadLibraryW(u"spoolhook-missing.dll"), nullptr);
  EXPECT_EQ(os_.GetLastError(), ERROR_MOD_NOT_FOUND);
}

TEST_F(Win32PlatformTest, SwitchesTheCurrentDirectory) {
  char16_t previous[260] = {};
  ASSERT_GT(os_.GetCurrentDirectoryW(260, previous), 0u);
  std::u16string folder = Wide(machine_.Folder());
  ASSERT_TRUE(os_.SetCurrentDirectoryW(folder.c_str()));
  char16_t current[260] = {};
  const DWORD length = os_.GetCurrentDirectoryW(260, current);
  folder.pop_back();  // reported without the closing backslash
  EXPECT_EQ(std::u16string(current, length), folder);
  EXPECT_TRUE(os_.SetCurrentDirectoryW(previous));
}

// The ids the library loads, with their texts as the library's string table defines them.
struct StringCase {
  UINT id;
  std::u16string text;
};
const StringCase kStrings[] = {
    {3020, u"Information from the ZEMT4 printer driver.\n\n"},
    {3021, u"\n\nPrinting will be cancelled."},
    {3042, u"Cannot find the Overlay file %s."},
    {3044,
     u"Unable to use the specified Overlay form.\n\nThe specified file is not an Overlay file or "
     u"is unavailable."},
    {3048, u"%s File is overwritten."},
    {3055, u"\nScaling and Page Layout settings are invalid when creating an Overlay file."},
};
const UINT kAllStringIds[] = {
#define SPOOLHOOK_STRING(id, text) id,
#include "resources/string_table.inc"
#undef SPOOLHOOK_STRING
};

std::u16string LoadString(HMODULE module, UINT id) {
  char16_t text[520] = {};
  const int length = BuiltInPlatform().LoadStringW(module, id, text, 520);
  return std::u16string(text, length > 0 ? length : 0);
}

TEST(Win32StringTableTest, TheLibraryLoadsItsTextsFromItsResources) {
  BuiltLibrary library;
  ASSERT_NE(library.module(), nullptr);
  for (const StringCase& c : kStrings) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(LoadString(library.module(), c.id), c.text);
  }
  // The resource and the host's table come from one list and agree on every text.
  for (UINT id : kAllStringIds) {
    SCOPED_TRACE(id);
    EXPECT_EQ(LoadString(library.module(), id), FindLibraryString(id));
    // The unit tests link the library statically, with the same resources.
    EXPECT_EQ(LoadString(nullptr, id), FindLibraryString(id));
  }
  EXPECT_EQ(LoadString(library.module(), 3003), u"");
}

TEST(Win32StringTableTest, ALoadIntoASmallBufferIsCutAndTerminated) {
  char16_t text[8];
  EXPECT_EQ(BuiltInPlatform().LoadStringW(nullptr, 3020, text, 8), 7);
  EXPECT_EQ(std::u16string(text), u"Informa");
}

}  // namespace
}  // namespace spoolhook::testing
