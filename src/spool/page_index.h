// The spool file's index in memory: the header, trailer and page entries, and the section
// tables. The entries are filled by the spool records.
#pragma once

#include "platform/win_types.h"

namespace spoolhook {

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
