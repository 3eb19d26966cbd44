#include "engine/record_dispatch.h"

#include "accounting/accounting_records.h"
#include "engine/engine_records.h"
#include "engine/job_errors.h"
#include "engine/output_sink.h"
#include "jobinfo/job_info_record.h"
#include "jobinfo/job_settings_record.h"
#include "jobinfo/pjl_record.h"
#include "notify/notify_after_record.h"
#include "overlay/overlay_download_record.h"
#include "overlay/overlay_record.h"
#include "platform/exception_guard.h"
#include "spool/spool_control_record.h"
#include "spool/spool_record.h"

namespace spoolhook {
namespace {

constexpr DWORD kOverlayRecordId = 3;

// Id 3: a failed overlay record ends the job's output; an unknown subcommand is accepted
// with nothing written.
BOOL DispatchOverlayRecord(JobContext* job, const RecordView& record, DWORD* written) {
  if (!OverlayRecordIsWhole(record)) return FALSE;
  const BOOL result = HandleOverlayRecord(job, record);
  if (result != TRUE) {
    CancelJobOutput(job);
  } else if (job->JobError != JOB_ERROR_UNKNOWN_SUBCOMMAND) {
    *written = record.size();
  }
  return result;
}

struct EngineRecord {
  DWORD id;
  BOOL (*handle)(JobContext* job, const RecordView& record, DWORD* written);
};

// Engine ids without a row are accepted and ignored: TRUE with 0 written.
constexpr EngineRecord kEngineRecords[] = {
    {0, HandleRawDataRecord},                   // printer data
    {1, HandleSettingsRecord},                  // output mode, accounting path, user name
    {2, HandleSpoolRecord},                     // spool file and replay
    {kOverlayRecordId, DispatchOverlayRecord},  // overlay files
    {5, HandleStringRecord},                    // overlay and capture paths
};

// Driver records by id range, inclusive. Ids with the driver bit and no row go to the job
// settings handler, which accepts and ignores them.
struct DriverRecord {
  DWORD first;
  DWORD last;
  BOOL (*handle)(JobContext* job, const RecordView& record, DWORD* written);
};

constexpr DriverRecord kDriverRecords[] = {
    {0x1000, 0x1000, HandleJobSettingsRecord},
    {0x1001, 0x1001, HandleSpoolControlRecord},
    {JOB_INFO_RECORD_FIRST, JOB_INFO_RECORD_LAST, HandleJobInfoRecord},
    {PJL_RECORD_FIRST, PJL_RECORD_LAST, HandlePjlRecord},
    {0x1050, 0x1050, HandleOverlayDownloadRecord},
    {0x1070, 0x1075, HandleAccountingRecord},
};

BOOL DispatchDriverRecord(JobContext* job, const RecordView& record, DWORD id, DWORD* written) {
  for (const DriverRecord& row : kDriverRecords) {
    if (id >= row.first && id <= row.last) return row.handle(job, record, written);
  }
  return HandleJobSettingsRecord(job, record, written);
}

}  // namespace

BOOL HandleRawDataRecord(JobContext* job, const RecordView& record, DWORD* written) {
  if (record.size() < kRecordHeadBytes) return FALSE;
  const DWORD length = record.size() - kRecordHeadBytes;
  const BOOL result = WriteJobData(job, record.Bytes(kRecordHeadBytes, length), length, written);
  *written += kRecordHeadBytes;
  return result;
}

BOOL DispatchEngineRecord(JobContext* job, const RecordView& record, DWORD* written) {
  job->JobError = 0;
  *written = 0;
  DWORD id = 0;
  record.ReadU32(0, &id);
  for (const EngineRecord& row : kEngineRecords) {
    if (row.id == id) return row.handle(job, record, written);
  }
  return TRUE;
}

BOOL WriteJobRecord(JobContext* job, const void* buffer, DWORD count, DWORD* written) {
  const RecordView record(buffer, count);
  DWORD id = 0;
  if (!buffer || !record.ReadU32(0, &id)) return TRUE;
  // Without a job or a count to report into there is nothing to act for.
  if (!job || !written) return FALSE;
  // Driver records go straight to their handlers: no guard, no clearing of the job's error.
  if (id & DRIVER_RECORD_BIT) return DispatchDriverRecord(job, record, id, written);
  BOOL result = FALSE;
  auto dispatch = [&] { result = DispatchEngineRecord(job, record, written); };
  if (!RunGuarded(dispatch)) result = FALSE;
  if (job->JobError != JOB_ERROR_NONE || id == kOverlayRecordId) {
    // Guarded too: the record that just faulted may fault again when its words are read.
    auto notify = [&] { NotifyAfterRecord(job, record, job->JobError, result); };
    RunGuarded(notify);
  }
  return result;
}

}  // namespace spoolhook
