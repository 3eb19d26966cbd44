#include "overlay/new_overlay.h"

#include "engine/job_errors.h"
#include "engine/slots.h"
#include "overlay/file_probes.h"
#include "overlay/opened_file.h"
#include "overlay/overlay_header.h"
#include "overlay/target_space.h"
#include "platform/platform.h"

namespace spoolhook {
namespace {

BOOL FailLatched(JobContext* job, DWORD code) {
  job->JobError = code;
  job->ErrorLatched = 1;
  return FALSE;
}

// Bytes 93 to 101: the day of the month comes before the day of the week.
void StampTime(BYTE* header, const SYSTEMTIME& time) {
  BYTE* at = header + OVERLAY_STAMP_YEAR;
  PutLittleEndian16(at, time.wYear);
  at[2] = static_cast<BYTE>(time.wMonth);
  at[3] = static_cast<BYTE>(time.wDay);
  at[4] = static_cast<BYTE>(time.wDayOfWeek);
  at[5] = static_cast<BYTE>(time.wHour);
  at[6] = static_cast<BYTE>(time.wMinute);
  at[7] = static_cast<BYTE>(time.wSecond);
  at[8] = static_cast<BYTE>(time.wMilliseconds);
}

// The finished or abandoned overlay file is closed; the job's output ends with it, so that
// later printer data neither reach the printer nor make the output sink (which still writes
// into the closed slot while Spooling is set) delete the file as a failed write.
void EndOverlayOutput(JobContext* job) {
  CloseFileSlot(&job->SpoolFile);
  CancelJobOutput(job);
}

}  // namespace

BOOL CheckNewOverlayTarget(JobContext* job) {
  job->JobError = JOB_ERROR_NONE;
  if (job->ErrorLatched) return FALSE;
  const char* path = GetNewOverlayPath(job);
  if (!CheckTargetFreeSpace(job, path)) {
    CancelJobOutput(job);
    return FALSE;
  }
  if (!FileIsAbsent(path)) {
    job->JobError = JOB_ERROR_OVERLAY_EXISTS;
    job->ErrorLatched = 1;
    return TRUE;
  }
  if (TryCreateFile(path)) return TRUE;
  CancelJobOutput(job);
  return FailLatched(job, JOB_ERROR_CANNOT_CREATE);
}

BOOL OpenNewOverlay(JobContext* job) {
  if (IsJobOutputCancelled(job)) return FALSE;
  const char* path = GetNewOverlayPath(job);
  if (!path || OpenFileSlot(&job->SpoolFile, path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr) == INVALID_HANDLE_VALUE) {
    CancelJobOutput(job);
    job->JobError = JOB_ERROR_CANNOT_CREATE;
    return FALSE;
  }
  job->Spooling = 1;
  job->OverlayOutput = 1;
  return TRUE;
}

BOOL StampOverlayHeader(JobContext* job) {
  if (IsJobOutputCancelled(job)) return FALSE;
  if (job->ErrorLatched && (job->Flags & SPOOL_WRITE_FAILED)) return FALSE;
  EndOverlayOutput(job);
  job->JobError = JOB_ERROR_NONE;
  const char* path = GetNewOverlayPath(job);
  if (!path) return FALSE;
  OpenedFile file(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
  if (!file.IsOpen()) return FailLatched(job, JOB_ERROR_OVERLAY_OPEN);
  BYTE header[kOverlayHeaderBytes];
  if (!file.ReadWhole(header, sizeof header)) return FailLatched(job, JOB_ERROR_OVERLAY_READ);
  DWORD size = 0;
  if (!file.Size(&size)) return FALSE;
  PutLittleEndian32(header + OVERLAY_DATA_LENGTH,
                    size - GetLittleEndian32(header + OVERLAY_DATA_OFFSET));
  Platform& os = Os();
  SYSTEMTIME now = {};
  os.GetLocalTime(&now);
  StampTime(header, now);
  PutLittleEndian16(header + OVERLAY_SYSTEM_VERSION, static_cast<WORD>(os.GetVersion()));
  if (!file.Seek(0, FILE_BEGIN) || !file.WriteWhole(header, sizeof header)) {
    return FailLatched(job, JOB_ERROR_OVERLAY_WRITE);
  }
  file.Close();
  return TRUE;
}

BOOL DeleteNewOverlay(JobContext* job) {
  if (IsJobOutputCancelled(job)) return FALSE;
  const char* path = GetNewOverlayPath(job);
  if (!path) return FALSE;
  // A file still being written is closed first: it could not be deleted while open.
  if (job->OverlayOutput) EndOverlayOutput(job);
  return DeleteIfPresent(path) ? TRUE : FALSE;
}

}  // namespace spoolhook
