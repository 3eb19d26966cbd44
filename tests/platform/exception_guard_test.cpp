#include "platform/exception_guard.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "support/inaccessible_memory.h"

namespace spoolhook::testing {
namespace {

TEST(ExceptionGuardTest, RunsTheWorkAndReportsSuccess) {
  int runs = 0;
  auto work = [&] { ++runs; };
  EXPECT_TRUE(RunGuarded(work));
  EXPECT_EQ(runs, 1);
}

TEST(ExceptionGuardTest, CatchesACppException) {
  auto work = [] { throw std::runtime_error("boom"); };
  EXPECT_FALSE(RunGuarded(work));
}

TEST(ExceptionGuardTest, CatchesAnInvalidMemoryAccessAgainAndAgain) {
  InaccessibleMemory memory;
  volatile BYTE* hole = memory.hole();
  auto work = [&] { (void)*hole; };
  EXPECT_FALSE(RunGuarded(work));
  EXPECT_FALSE(RunGuarded(work));
}

TEST(ExceptionGuardTest, CatchesAnIntegerDivisionByZero) {
  volatile int zero = 0;
  volatile int result = 0;
  auto work = [&] { result = 10 / zero; };
  EXPECT_FALSE(RunGuarded(work));
}

TEST(ExceptionGuardTest, AFaultInAnInnerGuardEndsOnlyTheInnerWork) {
  InaccessibleMemory memory;
  volatile BYTE* hole = memory.hole();
  bool innerResult = true;
  bool afterInner = false;
  auto inner = [&] { (void)*hole; };
  auto outer = [&] {
    innerResult = RunGuarded(inner);
    afterInner = true;
  };
  EXPECT_TRUE(RunGuarded(outer));
  EXPECT_FALSE(innerResult);
  EXPECT_TRUE(afterInner);
}

}  // namespace
}  // namespace spoolhook::testing
