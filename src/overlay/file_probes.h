// Probes of files named by ANSI paths. None of them leaves a file open.
#pragma once

namespace spoolhook {

// True when the path is none or empty, or the file cannot be opened for reading.
bool FileIsAbsent(const char* path);
// Creates the file where none is yet, then closes and deletes it again: true when that
// worked. False for no path, or when the file exists or cannot be made.
bool TryCreateFile(const char* path);
// Deletes the file when it is there; true when it is gone.
bool DeleteIfPresent(const char* path);

}  // namespace spoolhook
