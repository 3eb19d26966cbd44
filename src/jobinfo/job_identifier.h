// The JobIdentifierBlock that the job identifier attribute carries: the plug-in's job handle,
// the spooler's job id, the machine the job came from and the computer that prints it.
#pragma once

#include "engine/job_context.h"
#include "jobinfo/attribute_encoder.h"

namespace spoolhook {

// Fills the 48 bytes: the plug-in's job handle and `jobId` as lower-case hexadecimal ("%lx")
// in bytes 0-7 and 8-15, the job's machine name (GetJobW level 2 on `printer`) in bytes 16-31
// and the local computer name in bytes 32-47, both ANSI, cut to 16 bytes, NUL-filled. A field
// whose source cannot be had (no job information, no name, no memory) stays zero.
void BuildJobIdentifierBlock(JobContext* job, HANDLE printer, DWORD jobId,
                             BYTE (&block)[kJobIdentifierBlockBytes]);

}  // namespace spoolhook
