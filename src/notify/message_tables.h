// Which string-table message tells the user of a job error or of a failed overlay check.
#pragma once

#include "platform/win_types.h"

namespace spoolhook {

// String-table ids of the messages.
constexpr UINT MESSAGE_PREFIX = 3020;         // names the driver; precedes every message
constexpr UINT MESSAGE_CANCEL_SUFFIX = 3021;  // announces the cancellation
constexpr UINT MESSAGE_OVERLAY_NOT_FOUND = 3042;
constexpr UINT MESSAGE_NOT_AN_OVERLAY = 3044;
constexpr UINT MESSAGE_OVERLAY_PAGE = 3045;
constexpr UINT MESSAGE_CANNOT_CREATE_OVERLAY = 3047;
constexpr UINT MESSAGE_OVERLAY_OVERWRITTEN = 3048;
constexpr UINT MESSAGE_NO_DISK_SPACE = 3049;
constexpr UINT MESSAGE_FOREIGN_OVERLAY = 3050;
constexpr UINT MESSAGE_NOT_COMPATIBLE = 3051;
constexpr UINT MESSAGE_RESOLUTION_DIFFERS = 3052;
constexpr UINT MESSAGE_COLOUR_DIFFERS = 3053;
constexpr UINT MESSAGE_SCALING_IN_COMPATIBLE = 3054;
constexpr UINT MESSAGE_SCALING_WHILE_CREATING = 3055;

// The message of a JobError code (or NOTIFY_SCALING_WHILE_CREATING), 0 for none. Job-error
// messages never carry a suffix.
UINT MessageForJobError(DWORD code);

struct OverlayMessage {
  UINT message;  // 0: no message
  UINT suffix;   // MESSAGE_CANCEL_SUFFIX with a message, else 0
};
// The message of an overlay check result (the low 16 bits of a status word).
OverlayMessage MessageForOverlayStatus(DWORD statusCode);

}  // namespace spoolhook
