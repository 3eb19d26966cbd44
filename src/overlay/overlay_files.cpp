#include "overlay/overlay_files.h"

#include <cstring>

#include "engine/job_errors.h"
#include "overlay/opened_file.h"

namespace spoolhook {
namespace {

bool IsSlot(int slot) { return slot >= 0 && slot < kOverlaySlots; }

void LatchError(JobContext* job, DWORD code) {
  job->JobError = code;
  job->ErrorLatched = 1;
}

}  // namespace

BOOL ReadOverlayHeader(JobContext* job, int slot, BYTE* buffer) {
  if (!buffer || !IsSlot(slot)) return FALSE;
  job->JobError = JOB_ERROR_NONE;
  const char* path = GetOverlayPath(job, slot);
  if (!path) return FALSE;
  OpenedFile file(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  if (!file.IsOpen()) {
    LatchError(job, JOB_ERROR_OVERLAY_OPEN);
    return FALSE;
  }
  if (!file.ReadWhole(buffer, kOverlayHeaderBytes)) {
    LatchError(job, JOB_ERROR_OVERLAY_READ);
    return FALSE;
  }
  return TRUE;
}

DWORD CheckOverlaySignature(JobContext* job, int slot) {
  BYTE header[kOverlayHeaderBytes] = {};
  if (!ReadOverlayHeader(job, slot, header)) return OVERLAY_UNREADABLE;
  const bool hasSignature =
      std::memcmp(header + OVERLAY_SIGNATURE, kOverlaySignature, sizeof kOverlaySignature) == 0;
  return hasSignature ? OVERLAY_OK : OVERLAY_NOT_AN_OVERLAY;
}

LONG GetOverlayDataLength(JobContext* job, int slot) {
  job->JobError = JOB_ERROR_NONE;
  const char* path = IsSlot(slot) ? GetOverlayPath(job, slot) : nullptr;
  if (!path) return -1;
  OpenedFile file(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  if (!file.IsOpen()) {
    LatchError(job, JOB_ERROR_OVERLAY_OPEN);
    return -1;
  }
  BYTE head[8];
  DWORD size = 0;
  if (!file.Seek(0, FILE_BEGIN) || !file.ReadWhole(head, sizeof head) ||
      !file.Seek(0, FILE_END, &size)) {
    return -1;
  }
  const DWORD dataOffset = GetLittleEndian32(head + OVERLAY_DATA_OFFSET);
  // A length that does not fit the result cannot be sent either.
  if (dataOffset > size || size - dataOffset > 0x7FFFFFFFu) return -1;
  return static_cast<LONG>(size - dataOffset);
}

WORD TranslateOverlayPaperSize(WORD headerCode) {
  struct PaperSize {
    WORD header;
    WORD job;
  };
  constexpr PaperSize kTranslations[] = {{260, 43}, {263, 71}, {261, 91}, {264, 82}};
  for (const PaperSize& row : kTranslations) {
    if (row.header == headerCode) return row.job;
  }
  return headerCode;
}

DWORD OverlayErrorCode(DWORD status) {
  if (status == OVERLAY_NOT_AN_OVERLAY) return JOB_ERROR_NOT_AN_OVERLAY;
  if (status & OVERLAY_PAGE_MISMATCH) return JOB_ERROR_OVERLAY_PAGE;
  return JOB_ERROR_NONE;
}

}  // namespace spoolhook
