#include "jobinfo/text_conversion.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/test_machine.h"

namespace spoolhook::testing {
namespace {

TEST(TextConversionTest, ToAnsiConvertsTheWholeTextWithItsTerminator) {
  TestMachine machine;
  char destination[2 * 5 + 2];
  std::memset(destination, 'x', sizeof destination);
  EXPECT_EQ(ToAnsi(destination, u"Hello"), destination);
  EXPECT_EQ(std::string(destination, 6), std::string("Hello", 6));
}

TEST(TextConversionTest, ToWideConvertsTheWholeTextWithItsTerminator) {
  TestMachine machine;
  char16_t destination[5 + 1];
  std::fill(std::begin(destination), std::end(destination), u'x');
  EXPECT_EQ(ToWide(destination, "C:\\A\\"), destination);
  EXPECT_EQ(std::u16string(destination, 6), std::u16string(u"C:\\A\\", 6));
}

TEST(TextConversionTest, AFailedOrMissingConversionLeavesAnEmptyText) {
  TestMachine machine;
  char ansi[12];
  char16_t wide[6];
  ansi[0] = 'x';
  wide[0] = u'x';
  EXPECT_STREQ(ToAnsi(ansi, nullptr), "");
  EXPECT_EQ(ToWide(wide, nullptr)[0], u'\0');
  machine.faults().FailCall("WideCharToMultiByte");
  machine.faults().FailCall("MultiByteToWideChar");
  std::memset(ansi, 'x', sizeof ansi);
  std::fill(std::begin(wide), std::end(wide), u'x');
  EXPECT_STREQ(ToAnsi(ansi, u"Hello"), "");
  EXPECT_EQ(ToWide(wide, "Hello")[0], u'\0');
}

}  // namespace
}  // namespace spoolhook::testing
