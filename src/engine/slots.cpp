#include "engine/slots.h"

#include <cstring>

#include "platform/platform.h"

namespace spoolhook {

void* HeapBlockAlloc(std::size_t bytes) {
  Platform& os = Os();
  return os.HeapAlloc(os.GetProcessHeap(), HEAP_ZERO_MEMORY, bytes);
}

void* HeapBlockReAlloc(void* block, std::size_t bytes) {
  Platform& os = Os();
  return os.HeapReAlloc(os.GetProcessHeap(), HEAP_ZERO_MEMORY, block, bytes);
}

void HeapBlockFree(void* block) {
  Platform& os = Os();
  os.HeapFree(os.GetProcessHeap(), 0, block);
}

std::size_t WideLength(const char16_t* text) {
  // Record texts need not be aligned: read the units bytewise.
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  std::size_t length = 0;
  while (bytes[2 * length] != 0 || bytes[2 * length + 1] != 0) ++length;
  return length;
}

namespace {

template <class Char>
Char* CopyString(Char** slot, const Char* text, std::size_t length) {
  MemFree(slot);
  if (length == 0) return nullptr;
  Char* copy = MemAlloc(slot, (length + 1) * sizeof(Char));
  if (copy) std::memcpy(copy, text, (length + 1) * sizeof(Char));
  return copy;
}

}  // namespace

char* MemCopyStringA(char** slot, const char* text) {
  if (!slot || !text) return nullptr;
  return CopyString(slot, text, std::strlen(text));
}

char16_t* MemCopyStringW(char16_t** slot, const char16_t* text) {
  if (!slot || !text) return nullptr;
  return CopyString(slot, text, WideLength(text));
}

BOOL CloseFileSlot(HANDLE* slot) {
  if (*slot == INVALID_HANDLE_VALUE) return TRUE;
  if (!Os().CloseHandle(*slot)) return FALSE;
  *slot = INVALID_HANDLE_VALUE;
  return TRUE;
}

HANDLE OpenFileSlot(HANDLE* slot, const char* path, DWORD access, DWORD share, void* security,
                    DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile) {
  if (!slot) return nullptr;
  CloseFileSlot(slot);
  *slot = Os().CreateFileA(path, access, share, security, disposition, flagsAndAttributes,
                           templateFile);
  return *slot;
}

}  // namespace spoolhook
