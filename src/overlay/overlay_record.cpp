#include "overlay/overlay_record.h"

#include "engine/job_errors.h"
#include "overlay/new_overlay.h"
#include "overlay/overlay_files.h"

namespace spoolhook {
namespace {

constexpr DWORD kSubcommandOffset = 8;
constexpr DWORD kAcceptPageWarningsOffset = 12;
constexpr DWORD kAcceptPageWarnings = 1;

BOOL CheckTarget(JobContext* job, const RecordView&) { return CheckNewOverlayTarget(job); }
BOOL Create(JobContext* job, const RecordView&) { return OpenNewOverlay(job); }
BOOL Stamp(JobContext* job, const RecordView&) { return StampOverlayHeader(job); }
BOOL Delete(JobContext* job, const RecordView&) { return DeleteNewOverlay(job); }

struct OverlaySubcommand {
  DWORD subcommand;
  DWORD recordBytes;  // the record must hold this many bytes
  BOOL (*run)(JobContext* job, const RecordView& record);
};

constexpr OverlaySubcommand kSubcommands[] = {
    {OVERLAY_CREATE, 12, Create},
    {OVERLAY_STAMP, 12, Stamp},
    {OVERLAY_DELETE, 12, Delete},
    {OVERLAY_CHECK_TARGET, 12, CheckTarget},
    {OVERLAY_CHECK_FILES, 16, CheckOverlayFiles},
};

// The subcommand's row, or none for a subcommand the record does not know.
const OverlaySubcommand* Find(DWORD subcommand) {
  for (const OverlaySubcommand& row : kSubcommands) {
    if (row.subcommand == subcommand) return &row;
  }
  return nullptr;
}

BOOL FailChecks(JobContext* job, DWORD code) {
  CancelJobOutput(job);
  job->JobError = code;
  job->ErrorLatched = 1;
  return FALSE;
}

}  // namespace

bool OverlayRecordIsWhole(const RecordView& record) {
  DWORD subcommand = 0;
  if (!record.ReadU32(kSubcommandOffset, &subcommand)) return false;
  const OverlaySubcommand* row = Find(subcommand);
  return !row || record.size() >= row->recordBytes;
}

BOOL HandleOverlayRecord(JobContext* job, const RecordView& record) {
  if (!job || !OverlayRecordIsWhole(record)) return FALSE;
  DWORD subcommand = 0;
  record.ReadU32(kSubcommandOffset, &subcommand);
  job->JobError = JOB_ERROR_NONE;
  const OverlaySubcommand* row = Find(subcommand);
  if (!row) {
    job->JobError = JOB_ERROR_UNKNOWN_SUBCOMMAND;
    return TRUE;
  }
  return row->run(job, record);
}

BOOL CheckOverlayFiles(JobContext* job, const RecordView& record) {
  job->JobError = JOB_ERROR_NONE;
  if (job->ErrorLatched || IsJobOutputCancelled(job)) return FALSE;
  DWORD stoppedAt = OVERLAY_OK;
  for (int slot = 0; slot < kOverlaySlots && stoppedAt == OVERLAY_OK; ++slot) {
    stoppedAt = CheckOverlaySignature(job, slot);
    SetOverlayStatus(job, slot, stoppedAt);
  }
  if (stoppedAt == OVERLAY_NOT_AN_OVERLAY) {
    return FailChecks(job, OverlayErrorCode(OVERLAY_NOT_AN_OVERLAY));
  }
  // An empty slot or a missing file (OVERLAY_UNREADABLE) only ends the scan; the download's
  // report names it.
  DWORD acceptPageWarnings = 0;
  record.ReadU32(kAcceptPageWarningsOffset, &acceptPageWarnings);
  if (acceptPageWarnings == kAcceptPageWarnings) return TRUE;
  for (int slot = 0; slot < kOverlaySlots; ++slot) {
    const DWORD warnings = GetOverlayStatus(job, slot) & OVERLAY_WARNING_BITS;
    if (warnings == 0) continue;
    const DWORD code = OverlayErrorCode(warnings);
    return code ? FailChecks(job, code) : TRUE;
  }
  return TRUE;
}

}  // namespace spoolhook
