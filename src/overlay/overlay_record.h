// Record id 3, the overlay file record: its subcommand (payload word 0) creates, stamps or
// deletes the job's new overlay file, checks its target, or checks the signatures of the
// overlay files the job uses.
#pragma once

#include "engine/job_context.h"
#include "engine/record_view.h"

namespace spoolhook {

constexpr DWORD OVERLAY_CREATE = 40;
constexpr DWORD OVERLAY_STAMP = 41;
constexpr DWORD OVERLAY_DELETE = 42;
constexpr DWORD OVERLAY_CHECK_TARGET = 43;
constexpr DWORD OVERLAY_CHECK_FILES = 53;

// Whether the record holds every payload word its subcommand reads.
bool OverlayRecordIsWhole(const RecordView& record);

// TRUE on success. A subcommand it does not know succeeds with JobError 1. A record that is
// not whole fails without doing anything.
BOOL HandleOverlayRecord(JobContext* job, const RecordView& record);

// Subcommand 53: the signature of each overlay slot in turn, up to the first that is not an
// overlay file or cannot be read; the page warnings of earlier checks fail it too unless the
// record's second payload word is 1.
BOOL CheckOverlayFiles(JobContext* job, const RecordView& record);

}  // namespace spoolhook
