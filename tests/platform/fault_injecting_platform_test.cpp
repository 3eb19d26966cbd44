#include "platform/fault_injecting_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "support/test_machine.h"

namespace spoolhook {
namespace {

using testing::TestMachine;
using testing::Wide;

template <class T>
std::uintptr_t Bits(T value) {
  return reinterpret_cast<std::uintptr_t>(value);
}
std::uintptr_t Bits(int value) { return static_cast<std::uintptr_t>(value); }
std::uintptr_t Bits(DWORD value) { return value; }

// A failable call made once through the fault injector with harmless arguments, and how the
// real call reports failure: its result and its last error (none for the registry, which
// returns its error code instead).
struct FailureCase {
  const char* name;
  std::function<std::uintptr_t(TestMachine&)> call;
  std::uintptr_t result;
  std::optional<DWORD> error;
};

const std::uintptr_t kInvalidHandle = Bits(INVALID_HANDLE_VALUE);

const FailureCase kFailureCases[] = {
    {"HeapAlloc",
     [](TestMachine& m) {
       Platform& os = m.faults();
       return Bits(os.HeapAlloc(os.GetProcessHeap(), 0, 16));
     },
     0, ERROR_NOT_ENOUGH_MEMORY},
    {"HeapReAlloc",
     [](TestMachine& m) {
       Platform& os = m.faults();
       void* block = os.HeapAlloc(os.GetProcessHeap(), 0, 16);
       void* moved = os.HeapReAlloc(os.GetProcessHeap(), 0, block, 64);
       const DWORD error = os.GetLastError();
       os.HeapFree(os.GetProcessHeap(), 0, moved ? moved : block);
       os.SetLastError(error);
       return Bits(moved);
     },
     0, ERROR_NOT_ENOUGH_MEMORY},
    {"HeapFree",
     [](TestMachine& m) {
       Platform& os = m.faults();
       return Bits(os.HeapFree(os.GetProcessHeap(), 0, os.HeapAlloc(os.GetProcessHeap(), 0, 16)));
     },
     FALSE, ERROR_INVALID_PARAMETER},
    {"CreateFileA",
     [](TestMachine& m) {
       return Bits(m.faults().CreateFileA((m.Folder() + "NEW.TXT").c_str(), GENERIC_WRITE, 0,
                                          nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
     },
     kInvalidHandle, ERROR_ACCESS_DENIED},
    {"CreateFileW",
     [](TestMachine& m) {
       return Bits(m.faults().CreateFileW(Wide(m.Folder() + "NEW.TXT").c_str(), GENERIC_WRITE, 0,
                                          nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
     },
     kInvalidHandle, ERROR_ACCESS_DENIED},
    {"ReadFile",
     [](TestMachine& m) {
       char buffer[4];
       DWORD read = 0;
       return Bits(m.faults().ReadFile(nullptr, buffer, 4, &read, nullptr));
     },
     FALSE, ERROR_READ_FAULT},
    {"WriteFile",
     [](TestMachine& m) {
       DWORD written = 0;
       return Bits(m.faults().WriteFile(nullptr, "data", 4, &written, nullptr));
     },
     FALSE, ERROR_DISK_FULL},
    {"SetFilePointer",
     [](TestMachine& m) { return Bits(m.faults().SetFilePointer(nullptr, 0, nullptr, FILE_END)); },
     INVALID_SET_FILE_POINTER, ERROR_INVALID_HANDLE},
    {"GetFileSize", [](TestMachine& m) { return Bits(m.faults().GetFileSize(nullptr, nullptr)); },
     INVALID_FILE_SIZE, ERROR_INVALID_HANDLE},
    {"CloseHandle", [](TestMachine& m) { return Bits(m.faults().CloseHandle(nullptr)); }, FALSE,
     ERROR_INVALID_HANDLE},
    {"DeleteFileA",
     [](TestMachine& m) { return Bits(m.faults().DeleteFileA((m.Folder() + "NONE").c_str())); },
     FALSE, ERROR_ACCESS_DENIED},
    {"DeleteFileW",
     [](TestMachine& m) { return Bits(m.faults().DeleteFileW(Wide(m.Folder() + "NONE").c_str())); },
     FALSE, ERROR_ACCESS_DENIED},
    {"GetFileAttributesW",
     [](TestMachine& m) { return Bits(m.faults().GetFileAttributesW(Wide(m.Folder()).c_str())); },
     INVALID_FILE_ATTRIBUTES, ERROR_FILE_NOT_FOUND},
    {"GetTempPathA",
     [](TestMachine& m) {
       char path[260];
       return Bits(m.faults().GetTempPathA(260, path));
     },
     0, ERROR_PATH_NOT_FOUND},
    {"GetTempFileNameA",
     [](TestMachine& m) {
       char name[260];
       return Bits(DWORD{m.faults().GetTempFileNameA(m.Folder().c_str(), "shk", 0, name)});
     },
     0, ERROR_ACCESS_DENIED},
    {"GetDiskFreeSpaceW",
     [](TestMachine& m) {
       DWORD sectors = 0, bytes = 0, free = 0, total = 0;
       return Bits(
           m.faults().GetDiskFreeSpaceW(Wide(m.Folder()).c_str(), &sectors, &bytes, &free, &total));
     },
     FALSE, ERROR_PATH_NOT_FOUND},
    {"GetDiskFreeSpaceExW",
     [](TestMachine& m) {
       ULONGLONG caller = 0, total = 0, free = 0;
       return Bits(
           m.faults().GetDiskFreeSpaceExW(Wide(m.Folder()).c_str(), &caller, &total, &free));
     },
     FALSE, ERROR_PATH_NOT_FOUND},
    {"GetUserNameW",
     [](TestMachine& m) {
       char16_t name[64];
       DWORD size = 64;
       return Bits(m.faults().GetUserNameW(name, &size));
     },
     FALSE, ERROR_ACCESS_DENIED},
    {"GetComputerNameW",
     [](TestMachine& m) {
       char16_t name[64];
       DWORD size = 64;
       return Bits(m.faults().GetComputerNameW(name, &size));
     },
     FALSE, ERROR_ACCESS_DENIED},
    {"RegOpenKeyExW",
     [](TestMachine& m) {
       HKEY key = nullptr;
       return Bits(m.faults().RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SYSTEM", 0, KEY_READ, &key));
     },
     ERROR_FILE_NOT_FOUND, std::nullopt},
    {"RegCloseKey", [](TestMachine& m) { return Bits(m.faults().RegCloseKey(nullptr)); },
     ERROR_INVALID_HANDLE, std::nullopt},
    {"WideCharToMultiByte",
     [](TestMachine& m) {
       char text[16];
       return Bits(
           m.faults().WideCharToMultiByte(CP_ACP, 0, u"abc", -1, text, 16, nullptr, nullptr));
     },
     0, ERROR_INVALID_PARAMETER},
    {"MultiByteToWideChar",
     [](TestMachine& m) {
       char16_t text[16];
       return Bits(m.faults().MultiByteToWideChar(CP_ACP, 0, "abc", -1, text, 16));
     },
     0, ERROR_INVALID_PARAMETER},
    {"LoadLibraryW", [](TestMachine& m) { return Bits(m.faults().LoadLibraryW(u"NETAPI32.Dll")); },
     0, ERROR_MOD_NOT_FOUND},
    {"GetProcAddress",
     [](TestMachine& m) { return Bits(m.faults().GetProcAddress(nullptr, "KvGetInterface")); }, 0,
     ERROR_PROC_NOT_FOUND},
    {"FreeLibrary", [](TestMachine& m) { return Bits(m.faults().FreeLibrary(nullptr)); }, FALSE,
     ERROR_INVALID_HANDLE},
    {"DisableThreadLibraryCalls",
     [](TestMachine& m) { return Bits(m.faults().DisableThreadLibraryCalls(nullptr)); }, FALSE,
     ERROR_INVALID_HANDLE},
    {"GetCurrentDirectoryW",
     [](TestMachine& m) {
       char16_t directory[260];
       return Bits(m.faults().GetCurrentDirectoryW(260, directory));
     },
     0, ERROR_ACCESS_DENIED},
    {"SetCurrentDirectoryW",
     [](TestMachine& m) {
       char16_t directory[260] = {};
       m.base().GetCurrentDirectoryW(260, directory);
       return Bits(m.faults().SetCurrentDirectoryW(directory));
     },
     FALSE, ERROR_PATH_NOT_FOUND},
    {"LoadStringW",
     [](TestMachine& m) {
       char16_t text[64];
       return Bits(m.faults().LoadStringW(nullptr, 1, text, 64));
     },
     0, ERROR_RESOURCE_NAME_NOT_FOUND},
    {"WritePrinter",
     [](TestMachine& m) {
       DWORD written = 0;
       return Bits(m.faults().WritePrinter(m.printer(), "data", 4, &written));
     },
     FALSE, ERROR_WRITE_FAULT},
    {"GetPrinterDriverW",
     [](TestMachine& m) {
       DWORD needed = 0;
       return Bits(m.faults().GetPrinterDriverW(m.printer(), nullptr, 2, nullptr, 0, &needed));
     },
     FALSE, ERROR_INVALID_HANDLE},
    {"GetJobW",
     [](TestMachine& m) {
       DWORD needed = 0;
       return Bits(m.faults().GetJobW(m.printer(), 1, 2, nullptr, 0, &needed));
     },
     FALSE, ERROR_INVALID_HANDLE},
    {"GetPrinterW",
     [](TestMachine& m) {
       DWORD needed = 0;
       return Bits(m.faults().GetPrinterW(m.printer(), 2, nullptr, 0, &needed));
     },
     FALSE, ERROR_INVALID_HANDLE},
};

void PrintTo(const FailureCase& entry, std::ostream* out) { *out << entry.name; }

constexpr DWORD kUntouchedError = 0x5EED;

class FailingCall : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FailingCall, FailsAsTheRealCallReportsFailure) {
  TestMachine machine;
  ASSERT_TRUE(machine.faults().FailCall(GetParam().name));
  machine.base().SetLastError(kUntouchedError);
  EXPECT_EQ(GetParam().call(machine), GetParam().result);
  EXPECT_EQ(machine.base().GetLastError(), GetParam().error.value_or(kUntouchedError));
  EXPECT_EQ(machine.faults().CallCount(GetParam().name), 1u);
}

INSTANTIATE_TEST_SUITE_P(EveryFailableCall, FailingCall, ::testing::ValuesIn(kFailureCases),
                         [](const ::testing::TestParamInfo<FailureCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(FaultInjectingPlatform, FailableCallsAreExactlyTheOverriddenOnes) {
  std::vector<std::string_view> tested;
  for (const FailureCase& entry : kFailureCases) tested.push_back(entry.name);
  std::vector<std::string_view> failable = FaultInjectingPlatform::FailableCalls();
  std::sort(tested.begin(), tested.end());
  std::sort(failable.begin(), failable.end());
  EXPECT_EQ(failable, tested);
  for (std::string_view name : failable) {
    EXPECT_TRUE(FaultInjectingPlatform::CanFail(name)) << name;
    EXPECT_EQ(FaultInjectingPlatform::CanShorten(name), name == "ReadFile" || name == "WriteFile")
        << name;
  }
}

class FaultRules : public ::testing::Test {
 protected:
  FaultInjectingPlatform& faults() { return machine_.faults(); }
  std::string Path(const std::string& name) const { return machine_.Folder() + name; }
  bool Exists(const std::string& path) {
    return faults().GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  void* Allocate() { return faults().HeapAlloc(faults().GetProcessHeap(), 0, 32); }
  void Free(void* block) {
    if (block) faults().HeapFree(faults().GetProcessHeap(), 0, block);
  }
  HANDLE Open(const std::string& name, DWORD access, DWORD disposition) {
    return faults().CreateFileA(Path(name).c_str(), access, 0, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  DWORD Write(HANDLE file, const std::string& bytes, BOOL expected = TRUE) {
    DWORD written = 0xFFFFFFFFu;
    EXPECT_EQ(
        faults().WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr),
        expected);
    return written;
  }
  std::string Read(HANDLE file, DWORD count) {
    std::string bytes(count, '\0');
    DWORD read = 0xFFFFFFFFu;
    EXPECT_TRUE(faults().ReadFile(file, bytes.data(), count, &read, nullptr));
    return bytes.substr(0, read);
  }

  TestMachine machine_;
};

TEST_F(FaultRules, OnlyTheNthCallFails) {
  ASSERT_TRUE(faults().FailCall("HeapAlloc", 2));
  void* first = Allocate();
  faults().SetLastError(ERROR_SUCCESS);
  void* second = Allocate();
  const DWORD error = faults().GetLastError();
  void* third = Allocate();
  EXPECT_NE(first, nullptr);
  EXPECT_EQ(second, nullptr);
  EXPECT_EQ(error, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_NE(third, nullptr);
  Free(first);
  Free(third);
}

TEST_F(FaultRules, SeveralRulesForOneCallAddUpAndLeaveOtherCallsAlone) {
  ASSERT_TRUE(faults().FailCall("CreateFileA", 1));
  ASSERT_TRUE(faults().FailCall("CreateFileA", 3));
  std::vector<bool> opened;
  for (int i = 0; i < 4; ++i) {
    HANDLE file = Open("F" + std::to_string(i), GENERIC_WRITE, CREATE_ALWAYS);
    opened.push_back(file != INVALID_HANDLE_VALUE);
    if (opened.back()) faults().CloseHandle(file);
  }
  EXPECT_EQ(opened, (std::vector<bool>{false, true, false, true}));
  HANDLE wide = faults().CreateFileW(Wide(Path("W")).c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(wide, INVALID_HANDLE_VALUE);
  faults().CloseHandle(wide);
}

TEST_F(FaultRules, WithoutNumberEveryCallFails) {
  ASSERT_TRUE(faults().FailCall("GetFileAttributesW"));
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(Exists(machine_.Folder())) << i;
  EXPECT_EQ(faults().CallCount("GetFileAttributesW"), 3u);
}

TEST_F(FaultRules, FailedTransfersReportNothingTransferred) {
  ASSERT_TRUE(machine_.WriteFileBytes(Path("IN.BIN"), "0123456789"));
  HANDLE file = Open("IN.BIN", GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  for (const char* call : {"ReadFile", "WriteFile", "WritePrinter"}) faults().FailCall(call);
  char buffer[4];
  DWORD read = 77, written = 77, printed = 77;
  EXPECT_FALSE(faults().ReadFile(file, buffer, 4, &read, nullptr));
  EXPECT_FALSE(faults().WriteFile(file, "ab", 2, &written, nullptr));
  EXPECT_FALSE(faults().WritePrinter(machine_.printer(), "ab", 2, &printed));
  EXPECT_EQ(read, 0u);
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(printed, 0u);
  EXPECT_EQ(machine_.PortBytes(), "");
  faults().CloseHandle(file);
  EXPECT_EQ(machine_.ReadFileBytes(Path("IN.BIN")), "0123456789");
}

TEST_F(FaultRules, FailedRegistryOpenLeavesNoKey) {
  faults().FailCall("RegOpenKeyExW");
  HKEY key = HKEY_LOCAL_MACHINE;
  EXPECT_EQ(faults().RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SYSTEM", 0, KEY_READ, &key),
            static_cast<LONG>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(key, nullptr);
}

TEST_F(FaultRules, ShortWriteTransfersOneByteFewerAndSucceeds) {
  ASSERT_TRUE(faults().ShortenCall("WriteFile", 2));
  HANDLE file = Open("OUT.BIN", GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Write(file, "abc"), 3u);
  EXPECT_EQ(Write(file, "defg"), 3u);
  EXPECT_EQ(Write(file, "hi"), 2u);
  faults().CloseHandle(file);
  EXPECT_EQ(machine_.ReadFileBytes(Path("OUT.BIN")), "abcdefhi");
  EXPECT_EQ(faults().CallCount("WriteFile"), 3u);
}

TEST_F(FaultRules, ShortReadTransfersOneByteFewerAndSucceeds) {
  ASSERT_TRUE(machine_.WriteFileBytes(Path("IN.BIN"), "0123456789"));
  ASSERT_TRUE(faults().ShortenCall("ReadFile", 1));
  HANDLE file = Open("IN.BIN", GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Read(file, 4), "012");
  EXPECT_EQ(Read(file, 4), "3456");
  faults().CloseHandle(file);
}

TEST_F(FaultRules, ShortZeroByteWriteIsForwardedUnchanged) {
  ASSERT_TRUE(faults().ShortenCall("WriteFile", 1));
  HANDLE file = Open("OUT.BIN", GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Write(file, ""), 0u);
  EXPECT_EQ(Write(file, "xy"), 2u);
  faults().CloseHandle(file);
  EXPECT_EQ(machine_.ReadFileBytes(Path("OUT.BIN")), "xy");
}

TEST_F(FaultRules, FailureWinsOverShortening) {
  faults().ShortenCall("WriteFile", 1);
  faults().FailCall("WriteFile", 1);
  HANDLE file = Open("OUT.BIN", GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Write(file, "abc", FALSE), 0u);
  faults().CloseHandle(file);
  EXPECT_EQ(machine_.ReadFileBytes(Path("OUT.BIN")), "");
}

TEST_F(FaultRules, CallsAreCountedPerNameFailedOnesToo) {
  faults().FailCall("HeapAlloc", 1);
  Free(Allocate());
  Free(Allocate());
  Exists(machine_.Folder());
  EXPECT_EQ(faults().CallCount("HeapAlloc"), 2u);
  EXPECT_EQ(faults().CallCount("HeapFree"), 1u);
  EXPECT_EQ(faults().CallCount("GetFileAttributesW"), 1u);
  EXPECT_EQ(faults().CallCount("GetTempPathA"), 0u);
}

TEST_F(FaultRules, UnknownAndUnshortenableNamesAreRejected) {
  EXPECT_FALSE(faults().FailCall("CreateProcessW"));
  EXPECT_FALSE(faults().FailCall("writefile")) << "names are Win32's, case and all";
  EXPECT_FALSE(faults().FailCall("GetSystemTime")) << "cannot fail";
  EXPECT_FALSE(faults().FailCall(""));
  EXPECT_FALSE(faults().ShortenCall("HeapAlloc", 1));
  EXPECT_FALSE(faults().ShortenCall("WritePrinter", 1));
  EXPECT_FALSE(faults().ShortenCall("WriteFile", 0)) << "a short call is one numbered call";
  EXPECT_FALSE(FaultInjectingPlatform::CanFail("Sleep"));
  // A rejected rule changes nothing.
  HANDLE file = Open("OUT.BIN", GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Write(file, "abc"), 3u);
  faults().CloseHandle(file);
}

TEST_F(FaultRules, ResetForgetsRulesAndCounts) {
  faults().FailCall("HeapAlloc");
  faults().ShortenCall("WriteFile", 1);
  EXPECT_EQ(Allocate(), nullptr);
  faults().Reset();
  EXPECT_EQ(faults().CallCount("HeapAlloc"), 0u);
  void* block = Allocate();
  EXPECT_NE(block, nullptr);
  Free(block);
  EXPECT_EQ(faults().CallCount("HeapAlloc"), 1u);
  HANDLE file = Open("OUT.BIN", GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Write(file, "abc"), 3u);
  faults().CloseHandle(file);
}

}  // namespace
}  // namespace spoolhook
