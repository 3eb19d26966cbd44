#include "resources/string_table.h"

#include <iterator>

namespace spoolhook {
namespace {

struct LibraryString {
  unsigned id;
  const char16_t* text;
};

constexpr LibraryString kLibraryStrings[] = {
#define SPOOLHOOK_STRING(id, text) {id, u"" text},
#include "resources/string_table.inc"
#undef SPOOLHOOK_STRING
};

}  // namespace

const char16_t* FindLibraryString(unsigned id) {
  for (const LibraryString& entry : kLibraryStrings) {
    if (entry.id == id) return entry.text;
  }
  return nullptr;
}

}  // namespace spoolhook
