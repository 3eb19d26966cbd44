// Text helpers of the simulated machine: names compared without regard to case as Windows
// compares them, and the UTF-8 names of the host's file system.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace spoolhook {

// The upper-case form under which Windows compares names (Latin, Greek and Cyrillic letters).
std::u16string FoldCase(std::u16string_view text);

// None for an unpaired surrogate, which no host file name can hold.
std::optional<std::string> Utf16ToUtf8(std::u16string_view text);
// None for malformed UTF-8.
std::optional<std::u16string> Utf8ToUtf16(std::string_view text);

// A caller's zero-terminated text; empty for none.
std::u16string CopyText(const char16_t* text);

}  // namespace spoolhook
