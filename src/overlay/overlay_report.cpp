#include "jobinfo/driver_block.h"
#include "notify/job_message.h"
#include "notify/message_tables.h"
#include "overlay/overlay_compatibility.h"
#include "overlay/overlay_header.h"

namespace spoolhook {
namespace {

constexpr DWORD kStatusCodeBits = 0xFFFF;

// The first slot whose status holds a fault, or -1.
int FirstFaultySlot(const JobContext* job) {
  for (int slot = 0; slot < kOverlaySlots; ++slot) {
    if (GetOverlayStatus(job, slot) & kStatusCodeBits) return slot;
  }
  return -1;
}

}  // namespace

BOOL ReportOverlayStatus(JobContext* job, DWORD reportWarnings) {
  DriverBlock* driver = GetDriverBlock(job);
  if (driver->PopupLatch || IsJobOutputCancelled(job)) return FALSE;
  if (const int slot = FirstFaultySlot(job); slot >= 0) {
    const OverlayMessage text = MessageForOverlayStatus(GetOverlayStatus(job, slot));
    // Only the message of a file that cannot be found names it.
    const char* fileName =
        text.message == MESSAGE_OVERLAY_NOT_FOUND ? GetOverlayPath(job, slot) : nullptr;
    SendJobMessage(driver->ModuleHandle, text.message, text.suffix, MESSAGE_PREFIX, fileName);
    CancelJobOutput(job);
    driver->PopupLatch = 1;
    return FALSE;
  }
  if (!reportWarnings) return TRUE;
  for (int slot = 0; slot < kOverlaySlots; ++slot) {
    if (!(GetOverlayStatus(job, slot) & OVERLAY_PAGE_MISMATCH)) continue;
    SendJobMessage(driver->ModuleHandle, MESSAGE_OVERLAY_PAGE, 0, MESSAGE_PREFIX, nullptr);
    driver->PopupLatch = 1;
  }
  return TRUE;
}

}  // namespace spoolhook
