// Whether an overlay file suits the job that uses it: the check fields of record 0x1050
// subcommand 13 against the file's header, and the report of the first fault found.
#pragma once

#include "engine/job_context.h"
#include "engine/record_view.h"

namespace spoolhook {

// Record bytes that subcommand 13 reads: its check fields end at byte 46.
constexpr DWORD kCompatibilityRecordBytes = 46;

// Stores the check result of the slot named at record byte 36 in its status word: the
// signature's code (1, 7) or the first fault found, in this order: creator kind 10 (2), the
// mode mark against a compatible use (3), resolution (4), colour mode (5), scaling or layout
// in a compatible use (6); with none of them 0, plus OVERLAY_PAGE_MISMATCH when the paper
// size, the orientation or a page geometry value (by more than 12) differs. TRUE; FALSE for a
// slot outside 0 to 7, which touches no status word.
BOOL CheckOverlayCompatibility(JobContext* job, const RecordView& record);

// Tells the user of the first slot whose status holds a fault (its message with the
// cancellation suffix), ends the job's output and fails. Without a fault, and with
// `reportWarnings` non-zero, tells each slot's page warning and succeeds. Fails at once,
// telling nothing, once the job has had a pop-up or its output has ended.
BOOL ReportOverlayStatus(JobContext* job, DWORD reportWarnings);

}  // namespace spoolhook
