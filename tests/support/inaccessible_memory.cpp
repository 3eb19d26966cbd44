#include "support/inaccessible_memory.h"

#ifdef _WIN32
extern "C" {
__declspec(dllimport) void* WINAPI
    VirtualAlloc(void* address, std::size_t size, unsigned long type, unsigned long protect);
__declspec(dllimport) int WINAPI
    VirtualProtect(void* address, std::size_t size, unsigned long protect, unsigned long* old);
__declspec(dllimport) int WINAPI VirtualFree(void* address, std::size_t size, unsigned long type);
}
#else
#include <sys/mman.h>
#endif

namespace spoolhook::testing {

#ifdef _WIN32
namespace {
constexpr unsigned long kCommitReserve = 0x3000;
constexpr unsigned long kRelease = 0x8000;
constexpr unsigned long kReadWrite = 0x04;
constexpr unsigned long kNoAccess = 0x01;
}  // namespace

InaccessibleMemory::InaccessibleMemory() {
  base_ = static_cast<BYTE*>(VirtualAlloc(nullptr, 2 * kPage, kCommitReserve, kReadWrite));
  unsigned long old = 0;
  VirtualProtect(hole(), kPage, kNoAccess, &old);
}

InaccessibleMemory::~InaccessibleMemory() { VirtualFree(base_, 0, kRelease); }
#else
InaccessibleMemory::InaccessibleMemory() {
  void* pages =
      mmap(nullptr, 2 * kPage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  base_ = static_cast<BYTE*>(pages);
  mprotect(hole(), kPage, PROT_NONE);
}

InaccessibleMemory::~InaccessibleMemory() { munmap(base_, 2 * kPage); }
#endif

}  // namespace spoolhook::testing
