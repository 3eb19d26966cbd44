// Pop-up messages composed from the library's string table and sent over the network to the
// computer the spooler runs on.
#pragma once

#include "platform/win_types.h"

namespace spoolhook {

// Loads the prefix (0: none) and the message from `module`'s string table, puts `fileName`
// (ANSI, may be none) in place of every "%s" of that text, appends the suffix (0: none) and
// sends the whole with SendNetMessage. A string that cannot be loaded sends nothing.
void SendJobMessage(HMODULE module, UINT messageId, UINT suffixId, UINT prefixId,
                    const char* fileName);

// Sends `length` UTF-16 units of `text` as a network message to this computer, through
// NetMessageBufferSend of "NETAPI32.Dll", which is loaded for this one message. TRUE when the
// network library reports success.
BOOL SendNetMessage(const char16_t* text, DWORD length);

}  // namespace spoolhook
