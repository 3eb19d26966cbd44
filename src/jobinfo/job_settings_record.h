// Record 0x1000: the driver's settings for the job, kept in the DriverBlock. The dispatch
// also hands it every driver record id that has no handler of its own.
#pragma once

#include "engine/job_context.h"
#include "engine/record_view.h"

namespace spoolhook {

constexpr DWORD JOB_SETTINGS_RECORD = 0x1000;

// Subcommand 1 copies the settings, 2 the document name, 3 the second job title; each reports
// the whole record written. Other subcommands and other record ids are accepted with the
// count written left as it was. A record too short for its subcommand fails with 0 written
// and changes nothing.
BOOL HandleJobSettingsRecord(JobContext* job, const RecordView& record, DWORD* written);

}  // namespace spoolhook
