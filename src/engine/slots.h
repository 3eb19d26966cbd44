// Slots: job fields that own one heap block (pointer slots) or one open file (handle slots).
// They are filled and emptied only through these helpers, which free or close the old
// content first.
#pragma once

#include "platform/win_types.h"

namespace spoolhook {

void* HeapBlockAlloc(std::size_t bytes);
void* HeapBlockReAlloc(void* block, std::size_t bytes);
void HeapBlockFree(void* block);

// Frees the slot's block and allocates `bytes` zero-filled bytes into it; the new block or
// none (no slot, or the allocation failed).
template <class T>
T* MemAlloc(T** slot, std::size_t bytes);

// Frees the slot's block and empties the slot. Always TRUE.
template <class T>
BOOL MemFree(T** slot) {
  if (slot && *slot) {
    HeapBlockFree(*slot);
    *slot = nullptr;
  }
  return TRUE;
}

template <class T>
T* MemAlloc(T** slot, std::size_t bytes) {
  if (!slot) return nullptr;
  MemFree(slot);
  *slot = static_cast<T*>(HeapBlockAlloc(bytes));
  return *slot;
}

// Resizes the slot's block to `bytes`, zero-filling the bytes it gains; the block may move.
// The resized block, or none (no slot, no block, or no memory: the slot keeps its block).
template <class T>
T* MemReAlloc(T** slot, std::size_t bytes) {
  if (!slot || !*slot) return nullptr;
  T* resized = static_cast<T*>(HeapBlockReAlloc(*slot, bytes));
  if (resized) *slot = resized;
  return resized;
}

// Replaces the slot's text with a copy of `text`; an empty text leaves the slot empty. The
// copy, or none (no slot, no text, an empty text, or no memory).
char* MemCopyStringA(char** slot, const char* text);
char16_t* MemCopyStringW(char16_t** slot, const char16_t* text);

// Length in UTF-16 units of a terminated text that may lie at an odd address.
std::size_t WideLength(const char16_t* text);

// Closes the slot's file; FALSE (the handle kept) when the close fails.
BOOL CloseFileSlot(HANDLE* slot);
// Closes the slot, then opens `path` with CreateFileA into it; the handle or, on failure,
// the invalid-handle value; none without a slot.
HANDLE OpenFileSlot(HANDLE* slot, const char* path, DWORD access, DWORD share, void* security,
                    DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile);

}  // namespace spoolhook
