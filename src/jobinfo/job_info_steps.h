// The job-information steps: the attribute packets that the renderer asks for, step by step,
// with record 0x1014. Each packet goes out with WriteRecordData, so it is spooled with the
// pages while the job is spooling.
#pragma once

#include "engine/job_context.h"

namespace spoolhook {

// JobInfoFlags bits.
constexpr WORD JOB_INFO_BYTE_COUNT = 0x02;         // step 6 sends the job byte count
constexpr WORD JOB_INFO_NO_ACCOUNT_SECOND = 0x04;  // step 5 sends nothing
constexpr WORD JOB_INFO_ACCOUNT_NUMBER = 0x08;     // step 4 sends the number, not the text
constexpr WORD JOB_INFO_IDENTIFIER = 0x10;         // step 7 sends the job identifier
constexpr WORD JOB_INFO_DOCUMENT_NAME = 0x20;      // step 1 also sends the document name

// NameSelectFlags bits and the NameSelectMask bit that take part in choosing the document
// name attribute's text.
constexpr WORD NAME_SELECT_A = 0x04;
constexpr WORD NAME_SELECT_B = 0x10;
constexpr DWORD NAME_SELECT_A_VETO = 0x20000000;

// What the job byte count adds to the bytes sent so far.
constexpr DWORD kByteCountExtra = 47;

// Sends the packets of step 1 to 8 from what the DriverBlock holds now; other step numbers
// send nothing. Returns the result of the last packet written, TRUE when none was.
BOOL SendJobInfoStep(JobContext* job, DWORD step);

}  // namespace spoolhook
