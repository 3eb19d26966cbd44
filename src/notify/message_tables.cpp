#include "notify/message_tables.h"

#include "engine/job_errors.h"
#include "overlay/overlay_header.h"

namespace spoolhook {
namespace {

struct CodeMessage {
  DWORD code;
  UINT message;
};

constexpr CodeMessage kJobErrorMessages[] = {
    {JOB_ERROR_FREE_SPACE_UNKNOWN, MESSAGE_CANNOT_CREATE_OVERLAY},
    {JOB_ERROR_NO_DISK_SPACE, MESSAGE_NO_DISK_SPACE},
    {JOB_ERROR_OVERLAY_EXISTS, MESSAGE_OVERLAY_OVERWRITTEN},
    {JOB_ERROR_CANNOT_CREATE, MESSAGE_CANNOT_CREATE_OVERLAY},
    {JOB_ERROR_NOT_AN_OVERLAY, MESSAGE_NOT_AN_OVERLAY},
    {JOB_ERROR_OVERLAY_PAGE, MESSAGE_OVERLAY_PAGE},
    {NOTIFY_SCALING_WHILE_CREATING, MESSAGE_SCALING_WHILE_CREATING},
};

constexpr CodeMessage kOverlayStatusMessages[] = {
    {OVERLAY_NOT_AN_OVERLAY, MESSAGE_NOT_AN_OVERLAY},
    {OVERLAY_FOREIGN_CREATOR, MESSAGE_FOREIGN_OVERLAY},
    {OVERLAY_NOT_COMPATIBLE, MESSAGE_NOT_COMPATIBLE},
    {OVERLAY_RESOLUTION_DIFFERS, MESSAGE_RESOLUTION_DIFFERS},
    {OVERLAY_COLOUR_DIFFERS, MESSAGE_COLOUR_DIFFERS},
    {OVERLAY_SCALING_IN_COMPATIBLE, MESSAGE_SCALING_IN_COMPATIBLE},
    {OVERLAY_UNREADABLE, MESSAGE_OVERLAY_NOT_FOUND},
};

template <std::size_t N>
UINT Find(const CodeMessage (&table)[N], DWORD code) {
  for (const CodeMessage& row : table) {
    if (row.code == code) return row.message;
  }
  return 0;
}

}  // namespace

UINT MessageForJobError(DWORD code) { return Find(kJobErrorMessages, code); }

OverlayMessage MessageForOverlayStatus(DWORD statusCode) {
  const UINT message = Find(kOverlayStatusMessages, statusCode & 0xFFFF);
  return {message, message ? MESSAGE_CANCEL_SUFFIX : 0u};
}

}  // namespace spoolhook
