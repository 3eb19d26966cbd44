// The entry records 0x1072 and 0x1075 and the end records 0x1071 and 0x1074: the entries
// collected in the DriverBlock and the end block as the plug-in receives it.
#include "accounting/accounting_fixture.h"

namespace spoolhook::testing {
namespace {

// One family's records and what three entries give.
struct Family {
  const char* name;
  Record (*start)();
  std::uint32_t entryId;
  std::uint32_t recordCounts[3];
  Record (*end)();
  std::uint32_t endTotal;  // byte 16 of the end block
  // Entry bytes 20 to 63, after the count and the version.
  const char* entryTail;
};

const Family kFamilies[] = {
    {"counted",
     JobStartRecord,
     0x1072,
     {2, 3, 4},
     JobEndRecord,
     9,
     "ff 77 0000 61710103 62720203 63730303 64740403 65750503"},
    {"running",
     TextJobStartRecord,
     0x1075,
     {2, 5, 9},
     TextJobEndRecord,
     0x99,
     "ff 88 0000 61710103 62720203 63730303 64740403"},
};

// The 64-byte entry of a record with this count.
ByteBlock Entry(const Family& family, std::uint32_t count) {
  ByteBlock entry(64);
  entry.Hex(0, "17 0102030405 0000 ddccbbaa").U32(12, count).U32(16, 0x20000);
  entry.Hex(20, family.entryTail);
  return entry;
}

class EntryEndTest : public AccountingTest, public ::testing::WithParamInterface<Family> {
 protected:
  void AddEntries() {
    const Family& family = GetParam();
    for (int i = 0; i < 3; ++i) {
      const Written result = Write(EntryRecord(family.entryId, family.recordCounts[i], i == 1));
      EXPECT_EQ(result.result, TRUE);
      EXPECT_EQ(result.written, family.entryId == 0x1072 ? 112u : 100u);
    }
  }
  std::string HeldEntries() {
    return std::string(reinterpret_cast<const char*>(driver().AccountingEntries),
                       64 * driver().AccountingCount);
  }
};

TEST_P(EntryEndTest, EntriesAreCollectedWithTheirOwnCounts) {
  AddEntries();
  const Family& family = GetParam();
  ASSERT_EQ(driver().AccountingCount, 3u);
  EXPECT_EQ(HeldEntries(),
            Entry(family, 2).bytes() + Entry(family, 3).bytes() + Entry(family, 4).bytes());
  EXPECT_EQ(driver().AccountingTotal, 9u);
  EXPECT_EQ(driver().AccountingFlags, 1u);
}

TEST_P(EntryEndTest, TheEndHandsTheEntriesAndUnloadsThePlugin) {
  const Family& family = GetParam();
  InstallPlugin();
  ASSERT_TRUE(Write(family.start()).result);
  ASSERT_TRUE(Write(RawDataRecord("0123456789")).result);
  AddEntries();
  const Record end = family.end();
  const Written result = Write(end);
  EXPECT_EQ(result.result, TRUE);
  EXPECT_EQ(result.written, end.size());

  // 92 + 3 * 64 bytes: the head, the entries in the order they came, 64 zero bytes.
  ByteBlock expected(284);
  expected.Hex(0, "1c010000 00000200 0a000000 50510000")
      .U32(16, family.endTotal)
      .Hex(20, "03000000 01000000")
      .Text(28, Entry(family, 2).bytes() + Entry(family, 3).bytes() + Entry(family, 4).bytes());
  const std::vector<std::string> lines = LogLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], EndLine(48879, expected));
  EXPECT_EQ(expected.bytes().substr(220), std::string(64, '\0'));

  EXPECT_EQ(driver().PluginInterface, nullptr);
  EXPECT_EQ(Calls("FreeLibrary"), 1u);
  EXPECT_EQ(driver().AccountingEntries, nullptr);
  EXPECT_EQ(driver().AccountingCount, 0u);
  // The totals and the flags stay with the job, and so do the plug-in's answers.
  EXPECT_EQ(driver().AccountingTotal, 9u);
  EXPECT_EQ(driver().AccountingFlags, 1u);
  EXPECT_EQ(driver().PluginJobHandle, 48879u);
}

TEST_P(EntryEndTest, AnEndWithoutAPluginStillReleasesTheEntries) {
  AddEntries();
  const Record end = GetParam().end();
  const Written result = Write(end);
  EXPECT_EQ(result.result, TRUE);
  EXPECT_EQ(result.written, end.size());
  EXPECT_EQ(driver().AccountingEntries, nullptr);
  EXPECT_EQ(driver().AccountingCount, 0u);
}

TEST_P(EntryEndTest, EntriesAfterAnEndStartAFreshList) {
  const Family& family = GetParam();
  InstallPlugin();
  ASSERT_TRUE(Write(family.start()).result);
  AddEntries();
  ASSERT_TRUE(Write(family.end()).result);
  // A running count is counted from the released list's end: nothing is held any more.
  ASSERT_TRUE(Write(EntryRecord(family.entryId, 11)).result);
  ASSERT_EQ(driver().AccountingCount, 1u);
  EXPECT_EQ(HeldEntries(), Entry(family, 11).bytes());
  ASSERT_TRUE(Write(family.start()).result);
  ASSERT_TRUE(Write(family.end()).result);

  ByteBlock expected(92 + 64);
  expected.Hex(0, "9c000000 00000200 00000000 50510000")
      .U32(16, family.entryId == 0x1072 ? 20 : 0x99)
      .Hex(20, "01000000 01000000")
      .Text(28, Entry(family, 11).bytes());
  const std::vector<std::string> lines = LogLines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[3], EndLine(48879, expected));
}

INSTANTIATE_TEST_SUITE_P(BothFamilies, EntryEndTest, ::testing::ValuesIn(kFamilies),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AccountingTest, AnEndWithoutEntriesHandsTheHeadAndOneZeroEntry) {
  InstallPlugin();
  ASSERT_TRUE(Write(JobStartRecord()).result);
  ASSERT_TRUE(Write(JobEndRecord()).result);
  ByteBlock expected(92);
  expected.Hex(0, "5c000000 00000200 00000000 50510000");
  ASSERT_EQ(LogLines().size(), 2u);
  EXPECT_EQ(LogLines()[1], EndLine(48879, expected));
}

}  // namespace
}  // namespace spoolhook::testing
