// Record 0x1001, the spool control record: whether the spooled job fits the printer's memory
// (subcommand 9), the job sent once for printer-side copies or once per copy (1), and the
// replay reader and single-entry replays of record id 2 under numbers of their own (2 to 8).
#pragma once

#include "engine/job_context.h"
#include "engine/record_view.h"

namespace spoolhook {

constexpr DWORD SPOOL_CONTROL_RECORD = 0x1001;

// The result is the subcommand's; the whole record is reported written, except for a
// subcommand 9 that answers no (0 written). A failure does not cancel the job's output by
// itself. A record too short for the fields its subcommand reads fails with 0 written and
// changes nothing; an unknown subcommand is accepted.
BOOL HandleSpoolControlRecord(JobContext* job, const RecordView& record, DWORD* written);

}  // namespace spoolhook
