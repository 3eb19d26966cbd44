// The process heap: blocks from the C heap, every one zero-filled and tracked so that a test
// can tell a leak and a bad free does no harm.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/host/host_platform_state.h"

namespace spoolhook {
namespace {

HANDLE ProcessHeap() { return reinterpret_cast<HANDLE>(std::uintptr_t{0x00A00000}); }

}  // namespace

HANDLE HostPlatform::GetProcessHeap() { return ProcessHeap(); }

// Like the real heap calls, a failed allocation leaves the last error alone.
void* HostPlatform::HeapAlloc(HANDLE heap, DWORD, std::size_t bytes) {
  if (heap != ProcessHeap()) return nullptr;
  const std::size_t capacity = std::max<std::size_t>(bytes, 1);
  void* block = std::calloc(capacity, 1);
  if (!block) return nullptr;
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->heapBlocks[block] = HeapBlock{bytes, capacity};
  return block;
}

void* HostPlatform::HeapReAlloc(HANDLE heap, DWORD flags, void* block, std::size_t bytes) {
  if (heap != ProcessHeap()) return nullptr;
  std::lock_guard<std::mutex> lock(state_->mutex);
  const auto found = state_->heapBlocks.find(block);
  if (found == state_->heapBlocks.end()) return nullptr;
  const HeapBlock old = found->second;
  if (bytes <= old.capacity) {
    if (bytes > old.size) std::memset(static_cast<char*>(block) + old.size, 0, bytes - old.size);
    found->second.size = bytes;
    return block;
  }
  if (flags & HEAP_REALLOC_IN_PLACE_ONLY) return nullptr;
  void* moved = std::realloc(block, bytes);
  if (!moved) return nullptr;
  std::memset(static_cast<char*>(moved) + old.size, 0, bytes - old.size);
  state_->heapBlocks.erase(found);
  state_->heapBlocks[moved] = HeapBlock{bytes, bytes};
  return moved;
}

BOOL HostPlatform::HeapFree(HANDLE heap, DWORD, void* block) {
  if (!block) return TRUE;
  if (heap != ProcessHeap()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->heapBlocks.erase(block) == 0) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
  }
  std::free(block);
  return TRUE;
}

}  // namespace spoolhook
