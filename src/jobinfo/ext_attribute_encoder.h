// The attributes of the extended set (packet opcode 0x0015): EncodeExtAttribute is
// EncodeAttribute's counterpart for them.
#pragma once

#include "jobinfo/attribute_encoder.h"

namespace spoolhook {

// Kinds of the extended set.
constexpr DWORD EXT_ATTRIBUTE_USER_ENTRY = 25;  // first: the WORD entry type; second: text
constexpr DWORD EXT_ATTRIBUTE_LONG_TITLE = 36;  // first: text; second: the WORD code or none

// The entry type of kind 25 that names the job's user; the only one there is.
constexpr WORD USER_ENTRY_USER_NAME = 1;

// Writes opcode 0x0015 (always), then the attribute id, the payload and the length field of
// `kind`, and returns the packet's size; 0 for nothing to send. Kind 25: `first` points to
// the entry type (anything but USER_ENTRY_USER_NAME, or none, sends nothing), `second` is the
// user name or none (an entry without a name); at most 16 bytes are sent. Kind 36: `first` is
// the title (none sends nothing; an empty one is sent), `second` points to the character-set
// code or is none for 17; at most 231 bytes are sent.
WORD EncodeExtAttribute(AttributePacketBuffer& packet, DWORD kind, const void* first,
                        const void* second);

}  // namespace spoolhook
