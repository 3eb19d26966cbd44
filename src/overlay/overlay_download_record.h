// Record 0x1050, the overlay download record: its subcommand (payload word 0) checks an
// overlay file against the job, reports the checks, or downloads an overlay file to the
// printer.
#pragma once

#include "engine/job_context.h"
#include "engine/record_view.h"

namespace spoolhook {

constexpr DWORD OVERLAY_DOWNLOAD_RECORD = 0x1050;

constexpr DWORD DOWNLOAD_COMMAND = 10;    // the download command of the slot at byte 12
constexpr DWORD DOWNLOAD_DATA = 11;       // the slot's form data
constexpr DWORD DOWNLOAD_SIZE_TEXT = 12;  // the slot's data length as decimal text
constexpr DWORD DOWNLOAD_CHECK = 13;      // CheckOverlayCompatibility
constexpr DWORD DOWNLOAD_REPORT = 14;     // ReportOverlayStatus

// Reports the whole record as written and returns the subcommand's result; a subcommand it
// does not know does nothing and returns TRUE. A record too short for its subcommand's
// fields fails with 0 written and does nothing.
BOOL HandleOverlayDownloadRecord(JobContext* job, const RecordView& record, DWORD* written);

}  // namespace spoolhook
