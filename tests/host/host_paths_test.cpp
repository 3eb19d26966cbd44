// How the simulated machine maps Windows paths onto its root folder.
#include <gtest/gtest.h>

#include "host/host_machine_test.h"

namespace spoolhook::testing {
namespace {

class HostPaths : public HostMachineTest {
 protected:
  HostPaths() {
    WriteHostFile("C/Data/Report.TXT", "report");
    WriteHostFile("C/Data/\xC3\x84rger.txt", "");  // "Ärger.txt" in UTF-8
    MakeFolder("UNC/SERVER/SHARE/Docs");
  }
  std::string Mapped(const std::u16string& path) {
    const std::filesystem::path host = machine().MapPath(path);
    return host.empty() ? "" : host.lexically_relative(root()).generic_string();
  }
};

struct MappingCase {
  std::u16string windows;
  std::string host;  // relative to the root; empty: maps nowhere
};

TEST_F(HostPaths, MapsDrivesSharesAndRelativePaths) {
  const MappingCase cases[] = {
      {u"C:\\A\\B", "C/A/B"},
      {u"c:\\A", "C/A"},  // the drive letter is upper-cased
      {u"C:/A/B", "C/A/B"},
      {u"C:\\A\\\\B\\", "C/A/B"},
      {u"C:\\", "C"},
      {u"C:\\data\\REPORT.txt", "C/Data/Report.TXT"},  // names match whatever their case
      {u"C:\\DATA\\new.txt", "C/Data/new.txt"},        // a new name keeps its case
      {u"C:\\data\\\u00C4RGER.TXT", "C/Data/\xC3\x84rger.txt"},
      {u"\\\\SERVER\\SHARE\\Docs\\x", "UNC/SERVER/SHARE/Docs/x"},
      {u"\\\\server\\share\\docs", "UNC/SERVER/SHARE/Docs"},
      {u"//SERVER/SHARE", "UNC/SERVER/SHARE"},
      {u"Data\\x", "C/Data/x"},  // against the current directory C:\ .
      {u"\\Data", "C/Data"},
      {u"C:Data", "C/Data"},
      {u"C:\\.\\A\\.\\B", "C/A/B"},
      {u"C:\\A\\..\\B", "C/B"},
      {u"C:\\A\\..\\..\\..\\B", "C/B"},  // ".." stops at the drive's root
      {u"\\\\SERVER\\SHARE\\..\\..\\x", "UNC/SERVER/SHARE/x"},
      {u"", ""},
      {u"Q:\\A", ""},  // no folder for drive Q
      {u"Q:", ""},
      {u"1:\\A", ""},
      {u"\\\\SERVER", ""},
      {u"\\\\SERVER\\", ""},
      {u"\\\\OTHER\\SHARE\\x", ""},
      {u"C:\\a<b", ""},
      {u"C:\\a>b", ""},
      {u"C:\\a:b", ""},
      {u"C:\\a\"b", ""},
      {u"C:\\a|b", ""},
      {u"C:\\a?b", ""},
      {u"C:\\a*b", ""},
      {u"C:\\a\tb", ""},
  };
  for (const MappingCase& c : cases) {
    EXPECT_EQ(Mapped(c.windows), c.host) << std::string(c.windows.begin(), c.windows.end());
  }
}

TEST_F(HostPaths, RelativePathsFollowTheCurrentDirectory) {
  ASSERT_TRUE(machine().SetCurrentDirectoryW(u"C:\\DATA"));
  EXPECT_EQ(Mapped(u"x"), "C/Data/x");
  EXPECT_EQ(Mapped(u"C:x"), "C/Data/x");
  EXPECT_EQ(Mapped(u"..\\x"), "C/x");
  EXPECT_EQ(Mapped(u"\\x"), "C/x");
  ASSERT_TRUE(machine().SetCurrentDirectoryW(u"\\\\SERVER\\SHARE\\Docs"));
  EXPECT_EQ(Mapped(u"x"), "UNC/SERVER/SHARE/Docs/x");
  EXPECT_EQ(Mapped(u"\\x"), "UNC/SERVER/SHARE/x");
}

TEST_F(HostPaths, ADriveExistsOnlyWithItsFolder) {
  EXPECT_EQ(Mapped(u"D:\\x"), "");
  MakeFolder("D");
  EXPECT_EQ(Mapped(u"D:\\x"), "D/x");
}

struct PathErrorCase {
  std::u16string windows;
  DWORD error;
};

// GetFileAttributesW tells why a path names nothing.
TEST_F(HostPaths, PathsThatNameNothingReportWhy) {
  const PathErrorCase cases[] = {
      {u"C:\\Data\\missing.txt", ERROR_FILE_NOT_FOUND},
      {u"C:\\Missing\\file.txt", ERROR_PATH_NOT_FOUND},
      {u"C:\\Data\\Report.TXT\\x", ERROR_PATH_NOT_FOUND},
      {u"Q:\\file.txt", ERROR_PATH_NOT_FOUND},
      {u"\\\\SERVER", ERROR_PATH_NOT_FOUND},
      {u"\\\\OTHER\\SHARE\\file.txt", ERROR_PATH_NOT_FOUND},
      {u"C:\\Data\\a?b", ERROR_INVALID_NAME},
      {u"C:\\Data\\a|b\\c", ERROR_INVALID_NAME},
  };
  for (const PathErrorCase& c : cases) {
    machine().SetLastError(0);
    EXPECT_EQ(machine().GetFileAttributesW(c.windows.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(machine().GetLastError(), c.error) << std::string(c.windows.begin(), c.windows.end());
  }
}

}  // namespace
}  // namespace spoolhook::testing
