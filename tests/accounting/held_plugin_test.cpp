// The plug-in a job holds across a failed load, and the driver directories from which a load
// is tried at all.
#include "accounting/accounting_fixture.h"
#include "engine/slots.h"

namespace spoolhook::testing {
namespace {

TEST_F(AccountingTest, AFailedFreshLoadKeepsTheHeldPluginAndCallsNothing) {
  InstallPlugin();
  ASSERT_TRUE(Write(JobStartRecord()).result);
  AccountingPlugin* held = driver().PluginInterface;
  ASSERT_NE(held, nullptr);

  SetEnvironment("ACCOUNTING_SAMPLE_HANDLE", "2");
  ASSERT_TRUE(machine_.faults().FailCall("LoadLibraryW"));
  const Written result = Write(JobStartRecord());
  const unsigned loads = Calls("LoadLibraryW");
  const unsigned unloads = Calls("FreeLibrary");
  machine_.faults().Reset();
  EXPECT_EQ(result.result, TRUE);
  EXPECT_EQ(result.written, 72u);
  EXPECT_EQ(loads, 2u);
  // Neither released nor called: the start of the first load stands.
  EXPECT_EQ(unloads, 0u);
  EXPECT_EQ(driver().PluginInterface, held);
  EXPECT_EQ(LogLines().size(), 1u);
  EXPECT_EQ(driver().PluginJobHandle, 48879u);

  // The held plug-in still receives the end of the job with the handle of its start.
  ASSERT_TRUE(Write(JobEndRecord()).result);
  const std::vector<std::string> lines = LogLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], EndLine(48879, ByteBlock(92).Hex(0, "5c000000 00000200 00000000 50510000")));
  EXPECT_EQ(driver().PluginInterface, nullptr);
}

// A driver directory and whether a load is tried from it: the path is the directory, a
// backslash and "KVESDRV.DLL" (11 units), at most 260 units with its terminator.
struct DirectoryCase {
  const char* name;
  std::size_t length;
  bool tried;
};

const DirectoryCase kDirectoryCases[] = {
    {"PathOf260Units", 247, true},  // 247 + 1 + 11 + 1
    {"PathOf261Units", 248, false},
};

class PluginDirectoryTest : public AccountingTest,
                            public ::testing::WithParamInterface<DirectoryCase> {};

TEST_P(PluginDirectoryTest, ALoadIsTriedOnlyFromAPathThatFits) {
  const DirectoryCase& c = GetParam();
  const std::u16string directory = Wide("C:\\" + std::string(c.length - 3, 'D'));
  MemFree(&job()->DriverDirectory);
  ASSERT_TRUE(MemCopyStringW(&job()->DriverDirectory, directory.c_str()));
  machine_.faults().Reset();

  const Written first = Write(JobStartRecord());
  EXPECT_EQ(first.result, TRUE);
  EXPECT_EQ(first.written, 72u);
  const Written second = Write(TextJobStartRecord());
  EXPECT_EQ(second.result, FALSE);
  EXPECT_EQ(second.written, 28u);
  EXPECT_EQ(Calls("LoadLibraryW"), c.tried ? 2u : 0u);
  EXPECT_EQ(driver().PluginInterface, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Lengths, PluginDirectoryTest, ::testing::ValuesIn(kDirectoryCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace spoolhook::testing
