// Little-endian numbers at any address, as command records, overlay file headers and the
// blocks handed to the accounting plug-in hold them.
#pragma once

#include "platform/win_types.h"

namespace spoolhook {

inline WORD GetLittleEndian16(const BYTE* at) { return static_cast<WORD>(at[0] | at[1] << 8); }
inline DWORD GetLittleEndian32(const BYTE* at) {
  return DWORD{GetLittleEndian16(at)} | DWORD{GetLittleEndian16(at + 2)} << 16;
}

inline void PutLittleEndian16(BYTE* at, WORD value) {
  at[0] = static_cast<BYTE>(value);
  at[1] = static_cast<BYTE>(value >> 8);
}
inline void PutLittleEndian32(BYTE* at, DWORD value) {
  PutLittleEndian16(at, static_cast<WORD>(value));
  PutLittleEndian16(at + 2, static_cast<WORD>(value >> 16));
}

}  // namespace spoolhook
