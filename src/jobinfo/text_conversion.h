// Conversions between UTF-16 and the system's ANSI code page, terminator included. Texts for
// the printer are ANSI; names from the system are UTF-16.
#pragma once

#include "platform/win_types.h"

namespace spoolhook {

// Converts `text` into `destination`, which must hold twice the text's length plus 2 bytes
// (room for a double-byte character per unit). The destination is an empty text when there
// is no text or the conversion fails. Returns the destination.
char* ToAnsi(char* destination, const char16_t* text);

// Converts `text` into `destination`, which must hold the text's length plus 1 UTF-16 units.
// The destination is an empty text when there is no text or the conversion fails. Returns the
// destination.
char16_t* ToWide(char16_t* destination, const char* text);

// Length of an ANSI text that may fill a field without a terminator: its bytes before the
// first NUL, at most `limit`; no byte past the first `limit` is read.
std::size_t BoundedLength(const char* text, std::size_t limit);

}  // namespace spoolhook
