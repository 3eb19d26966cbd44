// The DriverBlock's text fields as terminated texts. Some fields may be full without a
// terminator (AccountText from the plug-in, AltJobTitle); a copy with a NUL behind the
// field's last byte keeps every reader within the field.
#pragma once

#include <array>
#include <cstddef>
#include <cstring>

#include "jobinfo/driver_block.h"

namespace spoolhook {

template <std::size_t N>
std::array<char, N + 1> TerminatedField(const char (&field)[N]) {
  std::array<char, N + 1> text{};
  std::memcpy(text.data(), field, N);
  return text;
}

// The title of the title attributes: the second job title in the alternative mode, else the
// job title.
inline std::array<char, sizeof(DriverBlock::JobTitle) + 1> JobInfoTitle(const DriverBlock& driver) {
  return TerminatedField(driver.AltMode ? driver.AltJobTitle : driver.JobTitle);
}

}  // namespace spoolhook
