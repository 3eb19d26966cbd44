// A bounds-checked view of one command record: every field is read through it, and nothing
// past the byte count the spooler passed is ever touched. Fields are little-endian.
#pragma once

#include "engine/little_endian.h"
#include "platform/win_types.h"

namespace spoolhook {

class RecordView {
 public:
  RecordView(const void* data, DWORD size) : data_(static_cast<const BYTE*>(data)), size_(size) {}

  DWORD size() const { return size_; }

  bool Contains(DWORD offset, DWORD length) const {
    return offset <= size_ && length <= size_ - offset;
  }

  // `length` bytes from `offset`, or none when they reach past the record.
  const BYTE* Bytes(DWORD offset, DWORD length) const {
    return Contains(offset, length) ? data_ + offset : nullptr;
  }

  bool ReadU32(DWORD offset, DWORD* value) const {
    const BYTE* bytes = Bytes(offset, 4);
    if (!bytes) return false;
    *value = GetLittleEndian32(bytes);
    return true;
  }

  // The word at `offset`, or 0 when the record does not hold it: for fields whose absence
  // means zero, or that the caller has already checked are there.
  DWORD WordOrZero(DWORD offset) const {
    DWORD value = 0;
    ReadU32(offset, &value);
    return value;
  }

  bool ReadI32(DWORD offset, LONG* value) const {
    DWORD word = 0;
    if (!ReadU32(offset, &word)) return false;
    *value = static_cast<LONG>(word);
    return true;
  }

  // The ANSI text at `offset`, or none when its terminator is not within the record.
  const char* TextA(DWORD offset) const {
    for (DWORD i = offset; i < size_; ++i) {
      if (data_[i] == 0) return reinterpret_cast<const char*>(data_ + offset);
    }
    return nullptr;
  }

  // The UTF-16 text at `offset` (which may be unaligned), or none when its terminator is not
  // within the record.
  const char16_t* TextW(DWORD offset) const {
    for (DWORD i = offset; Contains(i, 2); i += 2) {
      if (data_[i] == 0 && data_[i + 1] == 0) {
        return reinterpret_cast<const char16_t*>(data_ + offset);
      }
    }
    return nullptr;
  }

 private:
  const BYTE* data_;
  DWORD size_;
};

}  // namespace spoolhook
