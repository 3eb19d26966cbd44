// What the guard must get right on Windows beyond catching a fault: the fault's thread only,
// the 32-bit frame-based handler list, stack overflows, and a library unloaded after it
// guarded a record.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "engine/exports.h"
#include "platform/exception_guard.h"
#include "platform/win32/win32_api.h"
#include "support/inaccessible_memory.h"
#include "win32/built_library.h"

extern "C" __declspec(dllimport) void WINAPI
    RaiseException(spoolhook::DWORD code, spoolhook::DWORD flags, spoolhook::DWORD argumentCount,
                   const std::uintptr_t* arguments);

namespace spoolhook::testing {
namespace {

TEST(ExceptionGuardWin32Test, AFaultEndsOnlyTheGuardOfItsOwnThread) {
  InaccessibleMemory memory;
  volatile BYTE* hole = memory.hole();
  std::atomic<bool> faulted{false};
  bool faultingResult = true;
  auto waitForTheFault = [&] {
    while (!faulted) std::this_thread::yield();
  };
  auto fault = [&] { (void)*hole; };
  std::thread other([&] {
    faultingResult = RunGuarded(fault);
    faulted = true;
  });
  EXPECT_TRUE(RunGuarded(waitForTheFault));
  other.join();
  EXPECT_FALSE(faultingResult);
}

// Recursion without end, called through a pointer the optimizer cannot see through.
int Recurse(int depth);
int (*volatile recurse)(int) = &Recurse;
int Recurse(int depth) {
  volatile char frame[512];
  frame[0] = static_cast<char>(depth);
  return recurse(depth + 1) + frame[0];
}

TEST(ExceptionGuardWin32Test, CatchesAStackOverflow) {
  // A thread of its own: the thread's stack loses its guard page to the overflow.
  bool result = true;
  std::thread([&] {
    auto work = [] { Recurse(0); };
    result = RunGuarded(work);
  }).join();
  EXPECT_FALSE(result);
}

#if !defined(_WIN64)
struct SehRegistration {
  SehRegistration* next;
  void* handler;
};

SehRegistration* SehHead() {
  SehRegistration* head;
  asm volatile("movl %%fs:0, %0" : "=r"(head));
  return head;
}

extern "C" int ContinueSearch(void*, void*, void*, void*) { return 1; }

TEST(ExceptionGuardWin32Test, DropsTheHandlerFramesThatTheFaultingWorkRegistered) {
  InaccessibleMemory memory;
  volatile BYTE* hole = memory.hole();
  SehRegistration* const before = SehHead();
  auto work = [&] {
    SehRegistration frame{SehHead(), reinterpret_cast<void*>(&ContinueSearch)};
    asm volatile("movl %0, %%fs:0" ::"r"(&frame) : "memory");
    (void)*hole;
  };
  EXPECT_FALSE(RunGuarded(work));
  EXPECT_EQ(SehHead(), before);
}
#endif

// What a system stub raises when its function is not implemented: an exception that cannot
// be continued. Inside a guard it ends the work; the guard stays usable.
TEST(ExceptionGuardWin32Test, CatchesARaisedExceptionThatCannotBeContinued) {
  constexpr DWORD kNoncontinuable = 0x1;
  for (DWORD code : {0x80000100u, 0xE0535401u}) {
    auto raise = [&] { RaiseException(code, kNoncontinuable, 0, nullptr); };
    EXPECT_FALSE(RunGuarded(raise)) << std::hex << code;
  }
  auto work = [] {};
  EXPECT_TRUE(RunGuarded(work));
}

// An exception of the test's own, which the test's handler, registered last, lets the
// raising thread continue from: on its way there it passes every other vectored handler.
constexpr DWORD kTestException = 0xE0535400;

LONG WINAPI ContinueAfterTestException(win32::EXCEPTION_POINTERS* exception) {
  return exception->ExceptionRecord->ExceptionCode == kTestException
             ? win32::EXCEPTION_CONTINUE_EXECUTION
             : win32::EXCEPTION_CONTINUE_SEARCH;
}

TEST(ExceptionGuardWin32Test, AnUnloadedLibraryLeavesNoHandlerBehind) {
  {
    BuiltLibrary library;
    ASSERT_TRUE(library.loaded());
    // Any printer handle: the job starts without driver information, and the raw data
    // record runs guarded whether or not the printer takes it.
    HANDLE job = library.exports().startDoc(reinterpret_cast<HANDLE>(0x1234), 1);
    ASSERT_NE(job, nullptr);
    char record[12] = {0, 0, 0, 0, 0, 0, 0, 0, 'd', 'a', 't', 'a'};
    DWORD written = 0;
    library.exports().writePrinter(job, record, sizeof record, &written);
    library.exports().close(job);
  }
  // A handler left by the unloaded library would be called here, in memory that is gone.
  void* last = win32::AddVectoredExceptionHandler(0, &ContinueAfterTestException);
  RaiseException(kTestException, 0, 0, nullptr);
  win32::RemoveVectoredExceptionHandler(last);
  SUCCEED();
}

}  // namespace
}  // namespace spoolhook::testing
