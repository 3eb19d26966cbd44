// The process heap: zero-filled blocks, reallocation, and the count of live blocks that
// tests use to find leaks.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "host/host_machine_test.h"

namespace spoolhook::testing {
namespace {

class HostHeap : public HostMachineTest {
 protected:
  HANDLE heap() { return machine().GetProcessHeap(); }
  bool AllZero(const void* block, std::size_t bytes) {
    const auto* p = static_cast<const unsigned char*>(block);
    for (std::size_t i = 0; i < bytes; ++i) {
      if (p[i] != 0) return false;
    }
    return true;
  }
};

TEST_F(HostHeap, TheProcessHeapIsOneFixedHandle) {
  EXPECT_NE(heap(), nullptr);
  EXPECT_EQ(machine().GetProcessHeap(), heap());
}

TEST_F(HostHeap, BlocksAreZeroFilledAndCounted) {
  void* block = machine().HeapAlloc(heap(), HEAP_ZERO_MEMORY, 100);
  ASSERT_NE(block, nullptr);
  EXPECT_TRUE(AllZero(block, 100));
  void* empty = machine().HeapAlloc(heap(), 0, 0);
  EXPECT_NE(empty, nullptr);
  EXPECT_NE(empty, block);
  EXPECT_EQ(machine().HeapBlockCount(), 2u);
  EXPECT_TRUE(machine().HeapFree(heap(), 0, block));
  EXPECT_TRUE(machine().HeapFree(heap(), 0, empty));
  EXPECT_EQ(machine().HeapBlockCount(), 0u);
}

TEST_F(HostHeap, GrowingKeepsTheContentAndZeroFillsTheRest) {
  auto* block = static_cast<char*>(machine().HeapAlloc(heap(), HEAP_ZERO_MEMORY, 4));
  std::memcpy(block, "abcd", 4);
  auto* grown = static_cast<char*>(machine().HeapReAlloc(heap(), HEAP_ZERO_MEMORY, block, 4096));
  ASSERT_NE(grown, nullptr);
  EXPECT_EQ(std::string(grown, 4), "abcd");
  EXPECT_TRUE(AllZero(grown + 4, 4092));
  EXPECT_EQ(machine().HeapBlockCount(), 1u);

  // Shrinking and growing back within the block zero-fills what comes back too.
  std::memset(grown, 'x', 4096);
  char* shrunk = static_cast<char*>(machine().HeapReAlloc(heap(), HEAP_ZERO_MEMORY, grown, 8));
  ASSERT_NE(shrunk, nullptr);
  char* regrown = static_cast<char*>(machine().HeapReAlloc(heap(), HEAP_ZERO_MEMORY, shrunk, 64));
  ASSERT_NE(regrown, nullptr);
  EXPECT_EQ(std::string(regrown, 8), "xxxxxxxx");
  EXPECT_TRUE(AllZero(regrown + 8, 56));
  EXPECT_TRUE(machine().HeapFree(heap(), 0, regrown));
  EXPECT_EQ(machine().HeapBlockCount(), 0u);
}

TEST_F(HostHeap, InPlaceOnlyGrowthMayFailAndKeepsTheBlock) {
  auto* block = static_cast<char*>(machine().HeapAlloc(heap(), 0, 16));
  std::memcpy(block, "0123456789abcdef", 16);
  EXPECT_EQ(machine().HeapReAlloc(heap(), HEAP_REALLOC_IN_PLACE_ONLY, block, 1 << 20), nullptr);
  EXPECT_EQ(std::string(block, 16), "0123456789abcdef");
  EXPECT_EQ(machine().HeapReAlloc(heap(), HEAP_REALLOC_IN_PLACE_ONLY, block, 8), block);
  EXPECT_TRUE(machine().HeapFree(heap(), 0, block));
}

TEST_F(HostHeap, FreeingWhatIsNoBlockFailsHarmlessly) {
  EXPECT_TRUE(machine().HeapFree(heap(), 0, nullptr));
  int local = 0;
  EXPECT_FALSE(machine().HeapFree(heap(), 0, &local));
  EXPECT_EQ(machine().GetLastError(), ERROR_INVALID_PARAMETER);
  void* block = machine().HeapAlloc(heap(), 0, 8);
  EXPECT_TRUE(machine().HeapFree(heap(), 0, block));
  EXPECT_FALSE(machine().HeapFree(heap(), 0, block));  // freed twice
  EXPECT_EQ(machine().GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(machine().HeapReAlloc(heap(), 0, &local, 16), nullptr);
}

TEST_F(HostHeap, ThreadsShareTheHeapSafely) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([this] {
      for (int i = 0; i < 500; ++i) {
        void* block = machine().HeapAlloc(heap(), HEAP_ZERO_MEMORY, 32);
        block = machine().HeapReAlloc(heap(), HEAP_ZERO_MEMORY, block, 64);
        machine().HeapFree(heap(), 0, block);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(machine().HeapBlockCount(), 0u);
}

}  // namespace
}  // namespace spoolhook::testing
