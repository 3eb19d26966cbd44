// Loading the plug-in from the driver directory, the current directory around it, records
// too short or without memory, and the plug-in released on every path.
#include "accounting/accounting_fixture.h"
#include "engine/slots.h"

namespace spoolhook::testing {
namespace {

std::u16string CurrentDirectory(Platform& os) {
  char16_t buffer[260] = {};
  os.GetCurrentDirectoryW(260, buffer);
  return buffer;
}

// A failure on the way to the plug-in, and what the start record then leaves.
struct LoadCase {
  const char* name;
  const char* fail;   // the call that fails, none for no fault
  unsigned failAt;    // which of its calls (0: all)
  bool installed;     // KVESDRV.DLL lies in the driver directory
  bool loaded;        // a plug-in is held afterwards
  unsigned switches;  // SetCurrentDirectoryW calls: the switch and its undoing
  unsigned unloads;   // FreeLibrary calls
};

const LoadCase kLoadCases[] = {
    {"Loaded", nullptr, 0, true, true, 2, 0},
    {"NoLibrary", nullptr, 0, false, false, 2, 0},
    {"LoadFails", "LoadLibraryW", 0, true, false, 2, 0},
    {"NoExport", "GetProcAddress", 0, true, false, 2, 1},
    {"NoRecord", "HeapAlloc", 3, true, false, 2, 1},  // after the start and result blocks
    {"NoSwitch", "SetCurrentDirectoryW", 1, true, true, 1, 0},
    {"NoCurrentDirectory", "GetCurrentDirectoryW", 0, true, false, 0, 0},
};

class PluginLoadTest : public AccountingTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(PluginLoadTest, TheCurrentDirectoryIsRestoredOnEveryPath) {
  const LoadCase& c = GetParam();
  if (c.installed) InstallPlugin();
  const std::u16string before = CurrentDirectory(machine_.base());
  machine_.faults().Reset();
  if (c.fail) {
    ASSERT_TRUE(machine_.faults().FailCall(c.fail, c.failAt));
  }
  const Written result = Write(JobStartRecord());
  const unsigned switches = Calls("SetCurrentDirectoryW");
  const unsigned unloads = Calls("FreeLibrary");
  machine_.faults().Reset();
  EXPECT_EQ(result.result, TRUE);
  EXPECT_EQ(result.written, 72u);
  EXPECT_EQ(CurrentDirectory(machine_.base()), before);
  EXPECT_EQ(switches, c.switches);
  EXPECT_EQ(unloads, c.unloads);
  EXPECT_EQ(driver().PluginInterface != nullptr, c.loaded);
  EXPECT_EQ(LogLines().size(), c.loaded ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Paths, PluginLoadTest, ::testing::ValuesIn(kLoadCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AccountingTest, WithoutAUsableDriverDirectoryNothingIsLoaded) {
  InstallPlugin();
  // With the backslash, the file name and the terminator the path would take 262 units.
  const std::u16string tooLong = Wide("C:\\" + std::string(246, 'D'));
  const std::u16string* directories[] = {nullptr, &tooLong};
  for (const std::u16string* directory : directories) {
    MemFree(&job()->DriverDirectory);
    if (directory) MemCopyStringW(&job()->DriverDirectory, directory->c_str());
    EXPECT_EQ(Write(JobStartRecord()).result, TRUE);
    EXPECT_EQ(Write(TextJobStartRecord()).result, FALSE);
  }
  EXPECT_EQ(Calls("GetCurrentDirectoryW"), 0u);
  EXPECT_EQ(Calls("LoadLibraryW"), 0u);
  EXPECT_EQ(driver().PluginInterface, nullptr);
}

TEST_F(AccountingTest, DrvSplCloseReleasesAPluginNoEndRecordReleased) {
  InstallPlugin();
  ASSERT_TRUE(Write(JobStartRecord()).result);
  ASSERT_TRUE(Write(EntryRecord(0x1072, 1)).result);
  EXPECT_EQ(Calls("FreeLibrary"), 0u);
  CloseJob();
  EXPECT_EQ(Calls("FreeLibrary"), 1u);
  // The plug-in is released, never called.
  EXPECT_EQ(LogLines().size(), 1u);
}

// Each record one byte too short fails and changes nothing; one byte more is enough.
struct ShortCase {
  std::uint32_t id;
  std::uint32_t minBytes;
};

class ShortRecordTest : public AccountingTest, public ::testing::WithParamInterface<ShortCase> {};

TEST_P(ShortRecordTest, FailsWithNothingWritten) {
  InstallPlugin();
  const ShortCase& c = GetParam();
  const Written tooShort = Write(RecordOf(ByteBlock(c.minBytes - 1).U32(0, c.id)));
  EXPECT_EQ(tooShort.result, FALSE);
  EXPECT_EQ(tooShort.written, 0u);
  EXPECT_EQ(Calls("LoadLibraryW"), 0u);
  EXPECT_EQ(driver().AccountingCount, 0u);
  const Written enough = Write(RecordOf(ByteBlock(c.minBytes).U32(0, c.id)));
  EXPECT_EQ(enough.result, TRUE);
  EXPECT_EQ(enough.written, c.minBytes);
}

INSTANTIATE_TEST_SUITE_P(EachRecord, ShortRecordTest,
                         ::testing::Values(ShortCase{0x1070, 72}, ShortCase{0x1071, 16},
                                           ShortCase{0x1072, 112}, ShortCase{0x1073, 28},
                                           ShortCase{0x1074, 20}, ShortCase{0x1075, 100}));

TEST_F(AccountingTest, WithoutMemoryARecordIsAcceptedAndDoesNothing) {
  InstallPlugin();
  ASSERT_TRUE(Write(JobStartRecord()).result);
  ASSERT_TRUE(Write(EntryRecord(0x1072, 4)).result);
  AccountingPlugin* held = driver().PluginInterface;
  ASSERT_TRUE(machine_.faults().FailCall("HeapAlloc"));
  const Record records[] = {JobStartRecord(),       TextJobStartRecord(), EntryRecord(0x1072, 1),
                            EntryRecord(0x1075, 1), JobEndRecord(),       TextJobEndRecord()};
  for (const Record& record : records) {
    const Written result = Write(record);
    EXPECT_EQ(result.result, TRUE);
    EXPECT_EQ(result.written, 0u);
  }
  machine_.faults().Reset();
  EXPECT_EQ(driver().PluginInterface, held);
  EXPECT_EQ(driver().AccountingCount, 1u);
  EXPECT_EQ(driver().AccountingTotal, 4u);
  EXPECT_EQ(LogLines().size(), 1u);
  EXPECT_EQ(Calls("LoadLibraryW"), 0u);
}

// A whole job gives back every block and library, with or without its end record.
class AccountingLeakTest : public ::testing::TestWithParam<bool> {};

TEST_P(AccountingLeakTest, AJobGivesBackEveryBlockAndLibrary) {
  TestMachine machine({}, TestMachine::DriverPlace::kInFolder);
  const long blocks = machine.HeapBlockCount();
  const long handles = machine.OpenHandleCount();
  if (blocks < 0 || handles < 0) GTEST_SKIP() << "this platform does not count its resources";
  std::ifstream file(ACCOUNTING_SAMPLE_PLUGIN_PATH, std::ios::binary);
  ASSERT_TRUE(machine.WriteFileBytes(
      machine.Folder() + "KVESDRV.DLL",
      std::string{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()}));
  HANDLE job = DrvSplStartDoc(machine.printer(), 1);
  ASSERT_NE(job, nullptr);
  std::vector<Record> records = {JobStartRecord(), EntryRecord(0x1072, 2), TextJobStartRecord(),
                                 EntryRecord(0x1075, 3)};
  if (GetParam()) records.push_back(TextJobEndRecord());
  for (const Record& record : records) {
    std::string bytes = record.bytes();
    DWORD written = 0;
    DrvSplWritePrinter(job, bytes.data(), record.size(), &written);
  }
  // Without its end record the job still holds the plug-in's library.
  EXPECT_EQ(machine.OpenHandleCount(), handles + (GetParam() ? 0 : 1));
  DrvSplClose(job);
  EXPECT_EQ(machine.HeapBlockCount(), blocks);
  EXPECT_EQ(machine.OpenHandleCount(), handles);
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutEnd, AccountingLeakTest, ::testing::Bool());

}  // namespace
}  // namespace spoolhook::testing
