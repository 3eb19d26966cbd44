// The spool file's index in memory: the header, trailer and page entries, and the section
// tables. The entries are filled by the spool records.
#pragma once

#include "platform/win_types.h"

namespace spoolhook {

// IndexMarks bits: the region being marked; at most one is set.
constexpr DWORD MARK_HEADER = 0x1;
constexpr DWORD MARK_TRAILER = 0x2;
constexpr DWORD MARK_LEAD = 0x10;
constexpr DWORD MARK_BODY = 0x20;
constexpr DWORD MARK_PASS_SECTION = 0x100;
constexpr DWORD MARK_CYCLE_SECTION = 0x200;

// EntryFlags bits: which regions of an entry were closed.
constexpr DWORD ENTRY_HAS_LEAD = 0x1;
constexpr DWORD ENTRY_HAS_BODY = 0x2;

// Room of a new index (header and trailer entries included) and the steps it grows by.
constexpr DWORD kPageTableEntries = 100;
constexpr DWORD kPageTableStep = 50;
constexpr DWORD kSectionTableEntries = 50;
constexpr DWORD kSectionTableStep = 25;

struct PageEntry {
  DWORD EntryFlags;
  DWORD LeadOffset;
  DWORD LeadLength;
  DWORD BodyOffset;
  DWORD BodyLength;
};

struct PageTable {
  PageEntry* Block;
  DWORD Capacity;
  DWORD Free;
  PageEntry* HeaderEntry;
  PageEntry* TrailerEntry;
  PageEntry* FirstPage;
  PageEntry* CurrentPage;
  LONG PageCount;
};

struct SectionEntry {
  DWORD Offset;
  DWORD Length;
};

struct SectionTable {
  SectionEntry* Block;
  DWORD Capacity;
  DWORD Free;
  SectionEntry* FirstEntry;
  SectionEntry* CurrentEntry;
  LONG Count;
};

}  // namespace spoolhook
