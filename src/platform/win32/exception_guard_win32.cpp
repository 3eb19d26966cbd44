// The guard on Windows. GCC has no __try, so a vectored exception handler takes the hardware
// faults of a thread that is inside a guard: it lets the system finish the exception dispatch
// by resuming the thread in a landing function, which jumps back to the innermost guard. It
// also takes the raised exceptions that cannot be continued (see IsGuardedException). C++
// exceptions (raised as exceptions of their own code on x86-64) are left to try/catch.
#include <algorithm>
#include <cstddef>
#include <iterator>

#include "platform/exception_guard.h"
#include "platform/win32/win32_api.h"

namespace spoolhook {
namespace {

// The registers of the faulting thread that the handler rewrites, at their documented
// places in the architecture's CONTEXT.
#if defined(_WIN64)
struct ThreadRegisters {
  BYTE before[0x80];
  std::uint64_t rcx;
  BYTE between[0x98 - 0x88];
  std::uint64_t rsp;
  BYTE rest[0xF8 - 0xA0];
  std::uint64_t rip;
};
static_assert(offsetof(ThreadRegisters, rcx) == 0x80 && offsetof(ThreadRegisters, rsp) == 0x98 &&
              offsetof(ThreadRegisters, rip) == 0xF8);
#else
struct ThreadRegisters {
  BYTE before[0xB8];
  std::uint32_t eip;
  BYTE between[0xC4 - 0xBC];
  std::uint32_t esp;
};
static_assert(offsetof(ThreadRegisters, eip) == 0xB8 && offsetof(ThreadRegisters, esp) == 0xC4);
#endif

// Exception codes of hardware faults. Raised exceptions are taken only when they cannot be
// continued and report an error or a warning (a system stub that raises because it is not
// implemented, say); C++ exceptions, debugger events and exceptions that their raiser expects
// to continue from pass by.
constexpr DWORD kHardwareFaults[] = {
    0xC0000005,  // access violation
    0xC0000006,  // in-page error
    0xC000001D,  // illegal instruction
    0xC0000096,  // privileged instruction
    0xC0000094,  // integer division by zero
    0xC0000095,  // integer overflow
    0xC000008C,  // array bounds exceeded
    0x80000002,  // datatype misalignment
    0xC000008D,  // float denormal operand
    0xC000008E,  // float division by zero
    0xC000008F,  // float inexact result
    0xC0000090,  // float invalid operation
    0xC0000091,  // float overflow
    0xC0000092,  // float stack check
    0xC0000093,  // float underflow
    0xC00000FD,  // stack overflow
};

constexpr DWORD kNoncontinuable = 0x1;         // EXCEPTION_NONCONTINUABLE
constexpr DWORD kErrorOrWarning = 0x80000000;  // the high bit of the severity
constexpr DWORD kMicrosoftCppException = 0xE06D7363;

bool IsGuardedException(const win32::EXCEPTION_RECORD& record) {
  const DWORD code = record.ExceptionCode;
  if (std::find(std::begin(kHardwareFaults), std::end(kHardwareFaults), code) !=
      std::end(kHardwareFaults)) {
    return true;
  }
  return (record.ExceptionFlags & kNoncontinuable) && (code & kErrorOrWarning) &&
         code != kMicrosoftCppException;
}

struct Guard {
  void* jump[5];  // for __builtin_setjmp
  Guard* outer;
#if !defined(_WIN64)
  std::uintptr_t sehHead;  // the thread's frame-based handler list when the guard began
#endif
};

thread_local Guard* innermost = nullptr;

#if !defined(_WIN64)
std::uintptr_t SehHead() {
  std::uintptr_t head;
  asm volatile("movl %%fs:0, %0" : "=r"(head));
  return head;
}
// Frames registered by the code a fault cut short lie in stack that is gone.
void RestoreSehHead(std::uintptr_t head) { asm volatile("movl %0, %%fs:0" ::"r"(head) : "memory"); }
#endif

[[noreturn]] __attribute__((noinline)) void LandAfterFault(void** jump) {
  __builtin_longjmp(jump, 1);
}

// Points the faulting thread at LandAfterFault(guard->jump), called on fresh stack below the
// faulting frame with the alignment of a function entry.
void ResumeInLanding(ThreadRegisters& registers, Guard* guard) {
  constexpr std::uintptr_t kBelowFault = 256;
  const auto landing = reinterpret_cast<std::uintptr_t>(&LandAfterFault);
#if defined(_WIN64)
  const std::uintptr_t sp = ((registers.rsp - kBelowFault) & ~std::uintptr_t{15}) - 8;
  *reinterpret_cast<std::uintptr_t*>(sp) = 0;  // no return address
  registers.rcx = reinterpret_cast<std::uintptr_t>(guard->jump);
  registers.rsp = sp;
  registers.rip = landing;
#else
  const std::uintptr_t sp = ((registers.esp - kBelowFault) & ~std::uintptr_t{15}) - 4;
  auto* frame = reinterpret_cast<std::uintptr_t*>(sp);
  frame[0] = 0;  // no return address
  frame[1] = reinterpret_cast<std::uintptr_t>(guard->jump);
  registers.esp = static_cast<std::uint32_t>(sp);
  registers.eip = static_cast<std::uint32_t>(landing);
#endif
}

LONG WINAPI TakeFaultInGuard(win32::EXCEPTION_POINTERS* exception) {
  Guard* guard = innermost;
  if (!guard || !IsGuardedException(*exception->ExceptionRecord)) {
    return win32::EXCEPTION_CONTINUE_SEARCH;
  }
  ResumeInLanding(*reinterpret_cast<ThreadRegisters*>(exception->ContextRecord), guard);
  return win32::EXCEPTION_CONTINUE_EXECUTION;
}

// Installed with the first guard and removed when the module is unloaded, so that no handler
// of an unloaded module stays in the process.
class FaultHandler {
 public:
  FaultHandler() : handle_(win32::AddVectoredExceptionHandler(1, &TakeFaultInGuard)) {}
  ~FaultHandler() { win32::RemoveVectoredExceptionHandler(handle_); }
  FaultHandler(const FaultHandler&) = delete;
  FaultHandler& operator=(const FaultHandler&) = delete;

 private:
  void* handle_;
};

bool RunCatchingExceptions(void (*work)(void* context), void* context) {
  try {
    work(context);
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace

bool RunGuarded(void (*work)(void* context), void* context) {
  static FaultHandler handler;
  Guard guard;
  guard.outer = innermost;
#if !defined(_WIN64)
  guard.sehHead = SehHead();
#endif
  innermost = &guard;
  bool completed = false;
  if (__builtin_setjmp(guard.jump) == 0) {
    completed = RunCatchingExceptions(work, context);
  } else {
#if !defined(_WIN64)
    RestoreSehHead(guard.sehHead);
#endif
  }
  innermost = guard.outer;
  return completed;
}

}  // namespace spoolhook
