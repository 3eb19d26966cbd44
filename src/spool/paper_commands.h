// The paper-source and blank-page commands of this driver, in the printer's escape-sequence
// language: the callbacks that DrvSplStartDoc registers for the replay. Both send through
// SendWrappedDirect, so they bypass the spool file and get a data wrapper when the job's
// settings ask for one. Their settings come from the job's DriverBlock.
#pragma once

#include "engine/job_context.h"

namespace spoolhook {

// The paper-source command for `paperSource` (a Windows paper-source number), preceded by the
// type command for `typeRequest` when TypeCommandOn is set and the request maps to a type (-1
// asks for none, 4 for TypeCommandDefault), inside the mode bracket when CommandBracketOn is
// set. The result is that of the send; FALSE for a job without a DriverBlock.
BOOL SendPaperSource(JobContext* job, LONG paperSource, LONG typeRequest);
// One blank page and a form feed: the bracketed form with BlankPageValue when CommandBracketOn
// is set, else the plain form.
BOOL SendBlankPage(JobContext* job);

}  // namespace spoolhook
