#include "notify/notify_after_record.h"

#include "engine/job_errors.h"
#include "jobinfo/driver_block.h"
#include "notify/job_message.h"
#include "notify/message_tables.h"

namespace spoolhook {
namespace {

constexpr DWORD kOverlayRecordId = 3;
constexpr DWORD kCheckNewOverlayTarget = 43;
constexpr DWORD kSubcommandOffset = 8;
constexpr DWORD kScalingOffset = 12;
constexpr DWORD kPageLayoutOffset = 16;

bool ChecksNewOverlayTarget(const RecordView& record) {
  return record.WordOrZero(0) == kOverlayRecordId &&
         record.WordOrZero(kSubcommandOffset) == kCheckNewOverlayTarget;
}

}  // namespace

void NotifyAfterRecord(JobContext* job, const RecordView& record, DWORD code, BOOL result) {
  DriverBlock* driver = GetDriverBlock(job);
  if (!driver) return;
  if (ChecksNewOverlayTarget(record)) {
    // The first failure of the path check names the path; the code is then dealt with.
    if (code != JOB_ERROR_NONE && driver->PopupLatch == 0) {
      if (const UINT message = MessageForJobError(code)) {
        if (const char* path = GetNewOverlayPath(job)) {
          SendJobMessage(driver->ModuleHandle, message, 0, MESSAGE_PREFIX, path);
          driver->PopupLatch = 1;
        }
        code = JOB_ERROR_NONE;
      }
    }
    // A job that creates an overlay file cannot have scaling and page layout as well.
    if (result && record.WordOrZero(kScalingOffset) != 0 &&
        record.WordOrZero(kPageLayoutOffset) != 0) {
      code = NOTIFY_SCALING_WHILE_CREATING;
    }
  }
  if (code == JOB_ERROR_NONE) return;
  if (const UINT message = MessageForJobError(code)) {
    SendJobMessage(driver->ModuleHandle, message, 0, MESSAGE_PREFIX, nullptr);
    driver->PopupLatch = 1;
  }
}

}  // namespace spoolhook
