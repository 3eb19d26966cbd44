#include "notify/message_tables.h"

#include <gtest/gtest.h>

namespace spoolhook::testing {
namespace {

struct CodeCase {
  DWORD code;
  UINT message;
};

TEST(MessageForJobError, MapsTheCodesThatTellTheUser) {
  const CodeCase cases[] = {
      {0, 0},  {1, 0},  {16, 3047}, {17, 3049}, {18, 3048},   {19, 3047},
      {32, 0}, {33, 0}, {34, 0},    {48, 3044}, {64, 3045},   {4097, 3055},
      {15, 0}, {20, 0}, {65, 0},    {4096, 0},  {0x10011, 0}, {0xFFFFFFFFu, 0},
  };
  for (const CodeCase& c : cases) EXPECT_EQ(MessageForJobError(c.code), c.message) << c.code;
}

TEST(MessageForOverlayStatus, MapsTheLowWordAlwaysWithTheCancellationSuffix) {
  const CodeCase cases[] = {
      {1, 3044},
      {2, 3050},
      {3, 3051},
      {4, 3052},
      {5, 3053},
      {6, 3054},
      {7, 3042},
      // The warnings above the low word do not change the message.
      {0x10007, 3042},
      {0x10001, 3044},
  };
  for (const CodeCase& c : cases) {
    const OverlayMessage message = MessageForOverlayStatus(c.code);
    EXPECT_EQ(message.message, c.message) << c.code;
    EXPECT_EQ(message.suffix, 3021u) << c.code;
  }
}

TEST(MessageForOverlayStatus, OtherCodesHaveNeitherMessageNorSuffix) {
  for (DWORD code : {0u, 8u, 0x10000u, 0xFFFFu, 48u}) {
    const OverlayMessage message = MessageForOverlayStatus(code);
    EXPECT_EQ(message.message, 0u) << code;
    EXPECT_EQ(message.suffix, 0u) << code;
  }
}

}  // namespace
}  // namespace spoolhook::testing
