// The texts of the library's string table, for platforms that serve it without a resource
// section (the host). Windows builds compile the same texts into the DLL's resources.
#pragma once

#include <string_view>

namespace spoolhook {

// The text of string `id`, or none when the table has no such string.
const char16_t* FindLibraryString(unsigned id);

}  // namespace spoolhook
