// Windows-1252, the ANSI code page of the simulated machine.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace spoolhook {

// The UTF-16 unit of an ANSI byte; every byte has one.
char16_t Cp1252ToUnit(unsigned char byte);
// The ANSI byte of a UTF-16 unit; none for a character the code page does not hold.
std::optional<unsigned char> UnitToCp1252(char16_t unit);
// A whole ANSI text in UTF-16.
std::u16string AnsiToWide(std::string_view ansi);

}  // namespace spoolhook
