// The overlay file: a form for other jobs' overlay printing. Its first 387 bytes are the
// OverlayHeader; the form data start at the header's data offset and run to the end of the
// file. Numbers are little-endian at the byte offsets below, without alignment. The creating
// job writes the header with its own printer data; the library stamps only the data length,
// the system version and the time, and reads only the fields that the checks compare.
#pragma once

#include "engine/little_endian.h"
#include "platform/win_types.h"

namespace spoolhook {

constexpr DWORD kOverlayHeaderBytes = 387;

// Byte offsets of the header's fields.
constexpr DWORD OVERLAY_DATA_OFFSET = 0;          // 4 bytes: where the form data start
constexpr DWORD OVERLAY_DATA_LENGTH = 4;          // 4 bytes: file size minus data offset (stamped)
constexpr DWORD OVERLAY_SIGNATURE = 8;            // 6 bytes: "Mirak" and a zero byte
constexpr DWORD OVERLAY_CREATOR_KIND = 61;        // 1 byte: 10 marks a foreign driver's file
constexpr DWORD OVERLAY_COLOUR_MODE = 62;         // 1 byte
constexpr DWORD OVERLAY_PAPER_SIZE = 64;          // 2 bytes, compared after translation
constexpr DWORD OVERLAY_ORIENTATION = 68;         // 1 byte
constexpr DWORD OVERLAY_RESOLUTION = 71;          // 2 bytes
constexpr DWORD OVERLAY_SYSTEM_VERSION = 75;      // 2 bytes: major, minor (stamped)
constexpr DWORD OVERLAY_PAGE_GEOMETRY = 85;       // 4 values of 2 bytes
constexpr DWORD OVERLAY_STAMP_YEAR = 93;          // 2 bytes, local time (stamped)
constexpr DWORD OVERLAY_STAMP_MONTH = 95;         // then day, day of week, hour, minute, second,
constexpr DWORD OVERLAY_STAMP_MILLISECOND = 101;  // and the low 8 bits of the milliseconds
constexpr DWORD OVERLAY_MODE_MARK = 379;          // 1 byte: 1 marks a file not usable as compatible

constexpr BYTE kOverlaySignature[6] = {'M', 'i', 'r', 'a', 'k', 0};

// Overlay status words, one per overlay slot: a check result in the low 16 bits, warnings
// above.
constexpr DWORD OVERLAY_OK = 0;
constexpr DWORD OVERLAY_NOT_AN_OVERLAY = 1;   // the signature differs
constexpr DWORD OVERLAY_FOREIGN_CREATOR = 2;  // made by a driver whose files this one cannot use
constexpr DWORD OVERLAY_NOT_COMPATIBLE = 3;   // used as compatible overlay, but its mode mark is 1
constexpr DWORD OVERLAY_RESOLUTION_DIFFERS = 4;
constexpr DWORD OVERLAY_COLOUR_DIFFERS = 5;
constexpr DWORD OVERLAY_SCALING_IN_COMPATIBLE = 6;  // compatible overlay with scaling or layout
constexpr DWORD OVERLAY_UNREADABLE = 7;  // no path, cannot be opened, or shorter than a header
constexpr DWORD OVERLAY_PAGE_MISMATCH = 0x10000;  // paper size, orientation or geometry differs
constexpr DWORD OVERLAY_WARNING_BITS = 0x0FFF0000;

}  // namespace spoolhook
