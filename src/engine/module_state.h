// The library's one process-wide value: its own module handle, kept at process attach.
#pragma once

#include "platform/win_types.h"

namespace spoolhook {

HMODULE LibraryModule();
// Process attach: keeps the module handle and turns off thread notifications.
void AttachLibrary(HMODULE module);

}  // namespace spoolhook
