#include "engine/output_sink.h"

#include "engine/job_errors.h"
#include "engine/slots.h"
#include "platform/platform.h"

namespace spoolhook {
namespace {

bool CaptureIsOpen(const JobContext* job) {
  return (job->OutputMode & OUTPUT_CAPTURE) && job->CaptureFile != INVALID_HANDLE_VALUE;
}

// A failed or short write into the spool or overlay file ends the job's output: the partial
// file is useless, so it is closed and deleted, and the user is told there is no space.
BOOL FailSpoolWrite(JobContext* job) {
  job->Flags |= OUTPUT_CANCELLED | SPOOL_WRITE_FAILED;
  job->JobError = JOB_ERROR_NO_DISK_SPACE;
  job->ErrorLatched = 1;
  CloseFileSlot(&job->SpoolFile);
  // Only the file being written is deleted: an overlay path the job merely names may be an
  // existing form. The spool file's name stays so that DrvSplClose tries again.
  if (job->OverlayOutput) {
    if (job->NewOverlayPath) Os().DeleteFileA(job->NewOverlayPath);
  } else if (job->SpoolFileName[0]) {
    Os().DeleteFileA(job->SpoolFileName);
  }
  return FALSE;
}

BOOL WriteSpoolFile(JobContext* job, const void* data, DWORD count, DWORD* written) {
  if (!Os().WriteFile(job->SpoolFile, data, count, written, nullptr)) return FailSpoolWrite(job);
  // A short write would silently truncate the spooled job or overlay.
  if (*written != count) return FailSpoolWrite(job);
  return TRUE;
}

// Sends the bytes to the OutputMode destinations. A failed printer write fails the call and
// skips the capture file only when `stopOnPrinterFailure` is set.
BOOL WriteDestinations(JobContext* job, const void* data, DWORD count, DWORD* written,
                       bool stopOnPrinterFailure) {
  bool wrote = false;
  BOOL result = TRUE;
  if (job->OutputMode & OUTPUT_PRINTER) {
    result = Os().WritePrinter(job->Printer, data, count, written);
    wrote = true;
    if (!stopOnPrinterFailure) result = TRUE;
  }
  if (result && CaptureIsOpen(job)) {
    result = Os().WriteFile(job->CaptureFile, data, count, written, nullptr);
    wrote = true;
  }
  if (wrote) job->BytesSent += *written;
  return result;
}

}  // namespace

BOOL WriteJobData(JobContext* job, const void* data, DWORD count, DWORD* written) {
  if (!job || !data || !written) return FALSE;
  if (job->Flags & OUTPUT_CANCELLED) {
    *written = count;
    return TRUE;
  }
  if (job->Spooling) return WriteSpoolFile(job, data, count, written);
  // A failed printer write is the spooler's to report; the job goes on.
  return WriteDestinations(job, data, count, written, false);
}

BOOL WriteRecordData(JobContext* job, const void* data, DWORD count, DWORD* written) {
  if (job && (job->Flags & OUTPUT_CANCELLED)) {
    if (written) *written = count;
    return TRUE;
  }
  return WriteJobData(job, data, count, written);
}

BOOL WriteDirect(JobContext* job, const void* data, DWORD count, DWORD* written) {
  if (job->Flags & OUTPUT_CANCELLED) {
    if (written) *written = count;
    return TRUE;
  }
  if (!written) return FALSE;
  return WriteDestinations(job, data, count, written, true);
}

namespace {

// Whether the folder part of the capture path names an existing directory; a path with no
// backslash after its first character has no folder to check.
bool CaptureFolderExists(const char16_t* path) {
  std::size_t length = WideLength(path);
  std::size_t last = length;
  for (std::size_t i = 0; i < length; ++i) {
    if (path[i] == u'\\') last = i;
  }
  if (last == length || last == 0) return true;
  char16_t* folder = nullptr;
  if (!MemAlloc(&folder, (last + 2) * sizeof(char16_t))) return false;
  for (std::size_t i = 0; i <= last; ++i) folder[i] = path[i];
  const DWORD attributes = Os().GetFileAttributesW(folder);
  MemFree(&folder);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

BOOL OpenCaptureFile(JobContext* job) {
  if (job->CaptureFile != INVALID_HANDLE_VALUE || !(job->OutputMode & OUTPUT_CAPTURE) ||
      !job->CapturePath || !job->CapturePath[0]) {
    return TRUE;
  }
  if (!CaptureFolderExists(job->CapturePath)) {
    job->OutputMode = OUTPUT_PRINTER;
    return TRUE;
  }
  job->CaptureFile =
      Os().CreateFileW(job->CapturePath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (job->CaptureFile == INVALID_HANDLE_VALUE) job->OutputMode = OUTPUT_PRINTER;
  return TRUE;
}

}  // namespace spoolhook
