// Records 0x1070 to 0x1075: the job reported to the accounting plug-in in two families of
// three records each: start of job, end of job and one accounting entry.
#pragma once

#include "engine/job_context.h"
#include "engine/record_view.h"

namespace spoolhook {

constexpr DWORD ACCOUNTING_JOB_START = 0x1070;
constexpr DWORD ACCOUNTING_JOB_END = 0x1071;
constexpr DWORD ACCOUNTING_ENTRY = 0x1072;
constexpr DWORD ACCOUNTING_TEXT_JOB_START = 0x1073;
constexpr DWORD ACCOUNTING_TEXT_JOB_END = 0x1074;
constexpr DWORD ACCOUNTING_TEXT_ENTRY = 0x1075;

// Reports the whole record as written and returns TRUE, except: a record too short for its
// fields (or a 0x1073 record whose text items reach past it) fails with 0 written and nothing
// changed; a block that cannot be had accepts the record with 0 written and nothing done; a
// 0x1073 record without a plug-in returns FALSE with the record written.
BOOL HandleAccountingRecord(JobContext* job, const RecordView& record, DWORD* written);

}  // namespace spoolhook
