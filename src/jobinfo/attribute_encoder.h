// The attributes of the basic set (packet opcode 0x0012): EncodeAttribute writes one of them,
// chosen by its kind number, into a packet whose header InitPacketHeader has filled. The kind
// number stays inside the library; the printer sees the attribute id.
#pragma once

#include "platform/win_types.h"

namespace spoolhook {

// The largest attribute packet of either set (kind 20, a 255-byte document name); every
// encoder writes into a buffer of this size, so no kind can write past it.
constexpr DWORD kAttributePacketBytes = 280;
using AttributePacketBuffer = BYTE[kAttributePacketBytes];

// Kinds of the basic set, with the value each takes.
constexpr DWORD ATTRIBUTE_JOB_TITLE = 0;        // text, at most 32 bytes; an empty one is sent
constexpr DWORD ATTRIBUTE_USER_NAME = 1;        // text, at most 128 bytes
constexpr DWORD ATTRIBUTE_ACCOUNT_SHORT = 2;    // text, at most 40 bytes; an empty one is sent
constexpr DWORD ATTRIBUTE_SETTINGS_TIME = 3;    // SYSTEMTIME
constexpr DWORD ATTRIBUTE_ACCOUNT = 4;          // text, at most 80 bytes
constexpr DWORD ATTRIBUTE_ACCOUNT_SECOND = 5;   // text, at most 80 bytes
constexpr DWORD ATTRIBUTE_ACCOUNT_NUMBER = 8;   // DWORD
constexpr DWORD ATTRIBUTE_BYTE_COUNT = 10;      // DWORD
constexpr DWORD ATTRIBUTE_PLUGIN_VALUE = 16;    // DWORD
constexpr DWORD ATTRIBUTE_JOB_IDENTIFIER = 19;  // the 48-byte JobIdentifierBlock
constexpr DWORD ATTRIBUTE_DOCUMENT_NAME = 20;   // text, at most 255 bytes

// Character-set code of a coded text when the caller names none.
constexpr WORD kDefaultCharacterSet = 17;
// The code the texts of the accounting plug-in go with.
constexpr WORD kAccountCharacterSet = 3;

constexpr DWORD kJobIdentifierBlockBytes = 48;

// Writes opcode 0x0012 (always, also when nothing is to be sent), then the attribute id, the
// payload and the length field of `kind`. `value` points to the kind's value (texts are ANSI
// and NUL-terminated; at most the kind's limit of their bytes is read); `code` points to the
// character-set code of a coded text, none for 17, and is ignored by the other kinds. Returns
// the packet's size, 0 for nothing to send: no value, an unknown kind, or an empty text where
// the kind sends none.
WORD EncodeAttribute(AttributePacketBuffer& packet, DWORD kind, const void* value,
                     const WORD* code);

// The coded-text layout that both attribute sets use: attribute id, character-set code (17
// for none), the length byte and at most `limit` (below 256) bytes of `text`, no terminator.
// Returns the packet's size; writes the length field but not the opcode.
WORD EncodeCodedText(AttributePacketBuffer& packet, WORD attributeId, const char* text,
                     const WORD* code, DWORD limit);

// The packet's length field: its size minus the header. Returns `size`.
WORD FinishPacket(AttributePacketBuffer& packet, WORD size);

}  // namespace spoolhook
