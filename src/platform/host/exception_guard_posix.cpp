// The host's guard: fault signals are caught by handlers installed once for the process,
// which act only for a thread that is inside a guard (they jump back to its landing point);
// a fault anywhere else gets the disposition that was in place before, as if no guard
// existed.
#include <setjmp.h>
#include <signal.h>

#include <cstring>
#include <mutex>

#include "platform/exception_guard.h"

namespace spoolhook {
namespace {

constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};
struct sigaction previousActions[sizeof kFaultSignals / sizeof kFaultSignals[0]];

thread_local sigjmp_buf* landing = nullptr;

void OnFault(int signal, siginfo_t*, void*) {
  if (landing) siglongjmp(*landing, 1);
  // Not ours: put the earlier disposition back; returning re-runs the faulting instruction
  // under it.
  for (std::size_t i = 0; i < sizeof kFaultSignals / sizeof kFaultSignals[0]; ++i) {
    if (kFaultSignals[i] == signal) sigaction(signal, &previousActions[i], nullptr);
  }
}

void InstallHandlers() {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_sigaction = OnFault;
  // No mask change while the handler runs, so the jump out needs no mask to be restored and
  // a second fault is caught as well.
  action.sa_flags = SA_SIGINFO | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  for (std::size_t i = 0; i < sizeof kFaultSignals / sizeof kFaultSignals[0]; ++i) {
    sigaction(kFaultSignals[i], &action, &previousActions[i]);
  }
}

}  // namespace

bool RunGuarded(void (*work)(void* context), void* context) {
  static std::once_flag installed;
  std::call_once(installed, InstallHandlers);
  sigjmp_buf here;
  sigjmp_buf* const outer = landing;
  if (sigsetjmp(here, 0) != 0) {
    landing = outer;
    return false;
  }
  landing = &here;
  try {
    work(context);
  } catch (...) {
    landing = outer;
    return false;
  }
  landing = outer;
  return true;
}

}  // namespace spoolhook
