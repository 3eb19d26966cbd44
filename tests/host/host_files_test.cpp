// Files on the simulated machine: CreateFile's dispositions and share modes, reading,
// writing, the file pointer, deletion and attributes, with the results and last errors the
// Win32 documentation gives.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <set>

#include "host/host_machine_test.h"

namespace spoolhook::testing {
namespace {

constexpr DWORD kUntouched = 0xDEADu;  // a last error no call here sets
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class HostFiles : public HostMachineTest {
 protected:
  HostFiles() { MakeFolder("C/TEST"); }

  // The last error a call left, or kUntouched.
  DWORD LastError() { return machine().GetLastError(); }

  std::string ReadAll(HANDLE file) {
    std::string bytes;
    char chunk[64];
    DWORD read = 0;
    while (machine().ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) {
      bytes.append(chunk, read);
    }
    return bytes;
  }
};

struct DispositionCase {
  const char* name;
  DWORD disposition;
  bool fileExists;
  bool opens;
  DWORD lastError;
  const char* contentAfter;  // nullptr: no file afterwards
};

TEST_F(HostFiles, DispositionsOpenCreateAndTruncateAsDocumented) {
  const DispositionCase cases[] = {
      {"CREATE_NEW on a new name", CREATE_NEW, false, true, ERROR_SUCCESS, ""},
      {"CREATE_NEW on a file", CREATE_NEW, true, false, ERROR_FILE_EXISTS, "old"},
      {"CREATE_ALWAYS on a new name", CREATE_ALWAYS, false, true, ERROR_SUCCESS, ""},
      {"CREATE_ALWAYS on a file", CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS, ""},
      {"OPEN_EXISTING on a new name", OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND, nullptr},
      {"OPEN_EXISTING on a file", OPEN_EXISTING, true, true, ERROR_SUCCESS, "old"},
      {"OPEN_ALWAYS on a new name", OPEN_ALWAYS, false, true, ERROR_SUCCESS, ""},
      {"OPEN_ALWAYS on a file", OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS, "old"},
      {"TRUNCATE_EXISTING on a new name", TRUNCATE_EXISTING, false, false, ERROR_FILE_NOT_FOUND,
       nullptr},
      {"TRUNCATE_EXISTING on a file", TRUNCATE_EXISTING, true, true, ERROR_SUCCESS, ""},
  };
  for (const DispositionCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(Host("C/TEST/f.bin"));
    if (c.fileExists) WriteHostFile("C/TEST/f.bin", "old");
    machine().SetLastError(kUntouched);
    HANDLE file = Open(u"C:\\TEST\\f.bin", GENERIC_READ | GENERIC_WRITE, 0, c.disposition);
    EXPECT_EQ(file != INVALID_HANDLE_VALUE, c.opens);
    EXPECT_EQ(LastError(), c.lastError);
    if (file != INVALID_HANDLE_VALUE) {
      EXPECT_TRUE(machine().CloseHandle(file));
    }
    EXPECT_EQ(std::filesystem::exists(Host("C/TEST/f.bin")), c.contentAfter != nullptr);
    if (c.contentAfter) {
      EXPECT_EQ(ReadHostFile("C/TEST/f.bin"), c.contentAfter);
    }
  }
}

TEST_F(HostFiles, AMissingFolderOrABadNameFailsTheOpen) {
  const struct {
    std::u16string name;
    DWORD disposition;
    DWORD error;
  } cases[] = {
      {u"C:\\NOPE\\f.bin", CREATE_NEW, ERROR_PATH_NOT_FOUND},
      {u"C:\\NOPE\\f.bin", OPEN_EXISTING, ERROR_PATH_NOT_FOUND},
      {u"Q:\\f.bin", CREATE_ALWAYS, ERROR_PATH_NOT_FOUND},
      {u"C:\\TEST\\f?.bin", CREATE_ALWAYS, ERROR_INVALID_NAME},
      {u"C:\\TEST", OPEN_EXISTING, ERROR_ACCESS_DENIED},  // a folder is no file
      {u"C:\\TEST\\f.bin", 0, ERROR_INVALID_PARAMETER},
      {u"C:\\TEST\\f.bin", 6, ERROR_INVALID_PARAMETER},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Open(c.name, GENERIC_WRITE, 0, c.disposition), INVALID_HANDLE_VALUE);
    EXPECT_EQ(LastError(), c.error) << std::string(c.name.begin(), c.name.end());
  }
  EXPECT_EQ(machine().OpenHandleCount(), 0u);
}

TEST_F(HostFiles, TruncateExistingNeedsWriteAccess) {
  WriteHostFile("C/TEST/f.bin", "old");
  EXPECT_EQ(Open(u"C:\\TEST\\f.bin", GENERIC_READ, 0, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(ReadHostFile("C/TEST/f.bin"), "old");
}

TEST_F(HostFiles, HandlesAreDistinctMultiplesOfFourAndDieWhenClosed) {
  std::set<HANDLE> handles;
  for (int i = 0; i < 3; ++i) {
    HANDLE file = Open(u"C:\\TEST\\f.bin", GENERIC_READ, kShareAll, OPEN_ALWAYS);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_NE(file, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(file) % 4, 0u);
    handles.insert(file);
  }
  EXPECT_EQ(handles.size(), 3u);
  EXPECT_EQ(machine().OpenHandleCount(), 3u);
  for (HANDLE file : handles) EXPECT_TRUE(machine().CloseHandle(file));
  EXPECT_EQ(machine().OpenHandleCount(), 0u);

  HANDLE closed = *handles.begin();
  char byte;
  DWORD read = 7;
  EXPECT_FALSE(machine().CloseHandle(closed));
  EXPECT_EQ(LastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(machine().ReadFile(closed, &byte, 1, &read, nullptr));
  EXPECT_EQ(LastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(read, 0u);
  EXPECT_EQ(machine().GetFileSize(closed, nullptr), INVALID_FILE_SIZE);
  EXPECT_EQ(LastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(machine().CloseHandle(INVALID_HANDLE_VALUE));
  EXPECT_EQ(LastError(), ERROR_INVALID_HANDLE);
}

TEST_F(HostFiles, AnsiNamesAreWindows1252) {
  HANDLE file = machine().CreateFileA("C:\\TEST\\caf\xE9 \x80.txt", GENERIC_WRITE, 0, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  machine().CloseHandle(file);
  EXPECT_TRUE(std::filesystem::exists(Host("C/TEST/caf\xC3\xA9 \xE2\x82\xAC.txt")));
  EXPECT_TRUE(machine().DeleteFileW(u"C:\\TEST\\CAF\u00C9 \u20AC.TXT"));
}

struct ShareCase {
  DWORD firstAccess;
  DWORD firstShare;
  DWORD secondAccess;
  DWORD secondShare;
  bool secondOpens;
};

TEST_F(HostFiles, ConflictingShareModesFailWithASharingViolation) {
  constexpr DWORD R = GENERIC_READ, W = GENERIC_WRITE;
  constexpr DWORD SR = FILE_SHARE_READ, SW = FILE_SHARE_WRITE;
  const ShareCase cases[] = {
      {R, SR, R, SR, true},
      {R, SR, R, SR | SW, true},
      {R, SR, W, SR | SW, false},  // the first does not let others write
      {W, 0, R, SR | SW, false},   // the first shares nothing
      {R, SR | SW, W, SR, true},
      {W, SR | SW, W, SR, false},  // the second would not let the first write
      {R, SR | SW, R, SW, false},  // the second would not let the first read
      {R | W, SR | SW, R | W, SR | SW, true},
      {0, 0, R | W, 0, true},  // a handle without data access takes no part
      {R | W, 0, 0, 0, true},
  };
  WriteHostFile("C/TEST/f.bin", "data");
  for (const ShareCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.firstAccess << "/" << c.firstShare << " then "
                                      << c.secondAccess << "/" << c.secondShare);
    HANDLE first = Open(u"C:\\TEST\\f.bin", c.firstAccess, c.firstShare, OPEN_EXISTING);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    HANDLE second = Open(u"c:\\test\\F.BIN", c.secondAccess, c.secondShare, OPEN_EXISTING);
    EXPECT_EQ(second != INVALID_HANDLE_VALUE, c.secondOpens);
    if (second == INVALID_HANDLE_VALUE) {
      EXPECT_EQ(LastError(), ERROR_SHARING_VIOLATION);
    } else {
      machine().CloseHandle(second);
    }
    machine().CloseHandle(first);
  }
}

TEST_F(HostFiles, ASharingViolationLeavesTheFileAlone) {
  WriteHostFile("C/TEST/f.bin", "data");
  HANDLE first = Open(u"C:\\TEST\\f.bin", GENERIC_READ, 0, OPEN_EXISTING);
  EXPECT_EQ(Open(u"C:\\TEST\\f.bin", GENERIC_WRITE, kShareAll, CREATE_ALWAYS),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(LastError(), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(ReadHostFile("C/TEST/f.bin"), "data");
  machine().CloseHandle(first);
}

TEST_F(HostFiles, DeletingAnOpenFileNeedsShareDelete) {
  WriteHostFile("C/TEST/f.bin", "data");
  HANDLE locked = Open(u"C:\\TEST\\f.bin", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  EXPECT_FALSE(machine().DeleteFileW(u"C:\\TEST\\f.bin"));
  EXPECT_EQ(LastError(), ERROR_SHARING_VIOLATION);
  EXPECT_TRUE(std::filesystem::exists(Host("C/TEST/f.bin")));
  machine().CloseHandle(locked);

  HANDLE shared = Open(u"C:\\TEST\\f.bin", GENERIC_READ, kShareAll, OPEN_EXISTING);
  EXPECT_TRUE(machine().DeleteFileA("C:\\TEST\\F.BIN"));
  EXPECT_FALSE(std::filesystem::exists(Host("C/TEST/f.bin")));
  EXPECT_EQ(ReadAll(shared), "data");  // the handle keeps working
  machine().CloseHandle(shared);
}

TEST_F(HostFiles, DeletionFailuresSayWhy) {
  WriteHostFile("C/TEST/ro.bin", "x");
  std::filesystem::permissions(Host("C/TEST/ro.bin"), std::filesystem::perms::owner_read);
  const struct {
    std::u16string name;
    DWORD error;
  } cases[] = {
      {u"C:\\TEST\\missing.bin", ERROR_FILE_NOT_FOUND},
      {u"C:\\NOPE\\missing.bin", ERROR_PATH_NOT_FOUND},
      {u"C:\\TEST", ERROR_ACCESS_DENIED},
      {u"C:\\TEST\\ro.bin", ERROR_ACCESS_DENIED},
      {u"C:\\TEST\\a*b", ERROR_INVALID_NAME},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(machine().DeleteFileW(c.name.c_str()));
    EXPECT_EQ(LastError(), c.error) << std::string(c.name.begin(), c.name.end());
  }
}

TEST_F(HostFiles, ReadsAndWritesHonourTheHandlesAccess) {
  HANDLE writer = Open(u"C:\\TEST\\f.bin", GENERIC_WRITE, kShareAll, CREATE_NEW);
  HANDLE reader = Open(u"C:\\TEST\\f.bin", GENERIC_READ, kShareAll, OPEN_EXISTING);
  char buffer[16];
  DWORD count = 99;
  EXPECT_FALSE(machine().ReadFile(writer, buffer, sizeof buffer, &count, nullptr));
  EXPECT_EQ(LastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(count, 0u);
  EXPECT_FALSE(machine().WriteFile(reader, "x", 1, &count, nullptr));
  EXPECT_EQ(LastError(), ERROR_ACCESS_DENIED);

  EXPECT_TRUE(machine().WriteFile(writer, "hello world", 11, &count, nullptr));
  EXPECT_EQ(count, 11u);
  EXPECT_TRUE(machine().ReadFile(reader, buffer, 5, &count, nullptr));
  EXPECT_EQ(std::string(buffer, count), "hello");
  EXPECT_TRUE(machine().ReadFile(reader, buffer, sizeof buffer, &count, nullptr));
  EXPECT_EQ(std::string(buffer, count), " world");
  // At the end of the file a read succeeds with nothing read.
  count = 99;
  EXPECT_TRUE(machine().ReadFile(reader, buffer, sizeof buffer, &count, nullptr));
  EXPECT_EQ(count, 0u);
  machine().CloseHandle(reader);
  machine().CloseHandle(writer);
  EXPECT_EQ(ReadHostFile("C/TEST/f.bin"), "hello world");
}

TEST_F(HostFiles, TheFilePointerMovesFromEachOrigin) {
  HANDLE file = Open(u"C:\\TEST\\f.bin", GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
  DWORD count = 0;
  machine().WriteFile(file, "0123456789", 10, &count, nullptr);
  EXPECT_EQ(machine().SetFilePointer(file, 2, nullptr, FILE_BEGIN), 2u);
  EXPECT_EQ(machine().SetFilePointer(file, 3, nullptr, FILE_CURRENT), 5u);
  EXPECT_EQ(machine().SetFilePointer(file, -1, nullptr, FILE_CURRENT), 4u);
  EXPECT_EQ(machine().SetFilePointer(file, 0, nullptr, FILE_CURRENT), 4u);
  char byte = 0;
  machine().ReadFile(file, &byte, 1, &count, nullptr);
  EXPECT_EQ(byte, '4');
  EXPECT_EQ(machine().SetFilePointer(file, -2, nullptr, FILE_END), 8u);
  machine().ReadFile(file, &byte, 1, &count, nullptr);
  EXPECT_EQ(byte, '8');

  // A position before the start fails and leaves the pointer where it was.
  EXPECT_EQ(machine().SetFilePointer(file, -11, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(LastError(), ERROR_NEGATIVE_SEEK);
  EXPECT_EQ(machine().SetFilePointer(file, 0, nullptr, FILE_CURRENT), 9u);
  EXPECT_EQ(machine().SetFilePointer(file, 0, nullptr, 3), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(LastError(), ERROR_INVALID_PARAMETER);

  // Writing past the end fills the gap with zeros.
  machine().SetFilePointer(file, 12, nullptr, FILE_BEGIN);
  machine().WriteFile(file, "x", 1, &count, nullptr);
  machine().CloseHandle(file);
  EXPECT_EQ(ReadHostFile("C/TEST/f.bin"), std::string("0123456789\0\0x", 13));
}

TEST_F(HostFiles, PositionsAndSizesBeyondFourGigabytesUseTheHighPart) {
  HANDLE file = Open(u"C:\\TEST\\big.bin", GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
  LONG high = 1;
  EXPECT_EQ(machine().SetFilePointer(file, 5, &high, FILE_BEGIN), 5u);
  EXPECT_EQ(high, 1);
  DWORD count = 0;
  ASSERT_TRUE(machine().WriteFile(file, "x", 1, &count, nullptr));
  DWORD sizeHigh = 0;
  EXPECT_EQ(machine().GetFileSize(file, &sizeHigh), 6u);
  EXPECT_EQ(sizeHigh, 1u);
  // Without a high part the position must fit 32 bits.
  EXPECT_EQ(machine().SetFilePointer(file, 0, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
  EXPECT_NE(LastError(), ERROR_SUCCESS);

  // A low part of 0xFFFFFFFF is a success when the last error says so.
  high = 0;
  machine().SetLastError(kUntouched);
  EXPECT_EQ(machine().SetFilePointer(file, -1, &high, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(LastError(), ERROR_SUCCESS);
  EXPECT_EQ(high, 0);
  machine().CloseHandle(file);
}

TEST_F(HostFiles, AttributesTellFoldersFilesAndReadOnlyFiles) {
  WriteHostFile("C/TEST/f.bin", "x");
  WriteHostFile("C/TEST/ro.bin", "x");
  std::filesystem::permissions(Host("C/TEST/ro.bin"), std::filesystem::perms::owner_read);
  EXPECT_EQ(machine().GetFileAttributesW(u"C:\\TEST"), FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(machine().GetFileAttributesW(u"C:\\test\\"), FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(machine().GetFileAttributesW(u"C:\\"), FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(machine().GetFileAttributesW(u"C:\\TEST\\F.BIN"), FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(machine().GetFileAttributesW(u"C:\\TEST\\ro.bin"),
            FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
  // A read-only file opens for reading only.
  HANDLE reader = Open(u"C:\\TEST\\ro.bin", GENERIC_READ, 0, OPEN_EXISTING);
  EXPECT_NE(reader, INVALID_HANDLE_VALUE);
  machine().CloseHandle(reader);
  EXPECT_EQ(Open(u"C:\\TEST\\ro.bin", GENERIC_WRITE, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(LastError(), ERROR_ACCESS_DENIED);
}

TEST_F(HostFiles, TemporaryAndSequentialFlagsAreAccepted) {
  HANDLE file =
      machine().CreateFileW(u"C:\\TEST\\t.bin", GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD count = 0;
  EXPECT_TRUE(machine().WriteFile(file, "abc", 3, &count, nullptr));
  machine().CloseHandle(file);
  EXPECT_EQ(ReadHostFile("C/TEST/t.bin"), "abc");
}

}  // namespace
}  // namespace spoolhook::testing
