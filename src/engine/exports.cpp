#include "engine/exports.h"

#include "accounting/accounting_plugin.h"
#include "engine/job_context.h"
#include "engine/module_state.h"
#include "engine/record_dispatch.h"
#include "engine/slots.h"
#include "jobinfo/driver_block.h"
#include "spool/paper_commands.h"

using namespace spoolhook;

namespace {

JobContext* Job(HANDLE job) { return static_cast<JobContext*>(job); }

// The callbacks every job registers: the replay's paper-source and blank-page commands.
const JobOption kStartDocOptions[] = {
    {JOB_OPTION_PAPER_SOURCE, reinterpret_cast<FARPROC>(SendPaperSource)},
    {JOB_OPTION_BLANK_PAGE, reinterpret_cast<FARPROC>(SendBlankPage)},
    {JOB_OPTION_GROUP_PAD, nullptr},
    {JOB_OPTION_END, nullptr},
};

}  // namespace

extern "C" {

HANDLE WINAPI DrvSplStartDoc(HANDLE printer, DWORD jobId) {
  JobContext* job = CreateJobContext(printer, jobId, sizeof(DriverBlock), kStartDocOptions);
  if (DriverBlock* driver = job ? GetDriverBlock(job) : nullptr) {
    driver->ModuleHandle = LibraryModule();
    driver->PrinterHandle = printer;
    driver->SpoolerJobId = jobId;
  }
  return job;
}

BOOL WINAPI DrvSplWritePrinter(HANDLE job, void* buffer, DWORD count, DWORD* written) {
  return WriteJobRecord(Job(job), buffer, count, written);
}

void WINAPI DrvSplEndDoc(HANDLE job) {
  if (job) CloseFileSlot(&Job(job)->CaptureFile);
}

void WINAPI DrvSplClose(HANDLE job) {
  if (!job) return;
  // The engine cannot see into the DriverBlock: what the driver layer holds goes first.
  ReleaseAccounting(Job(job));
  ReleaseJobContext(Job(job));
}

BOOL WINAPI DrvSplStartPage(HANDLE) { return TRUE; }

BOOL WINAPI DrvSplEndPage(HANDLE) { return TRUE; }

void WINAPI DrvSplAbort(HANDLE) {}

}  // extern "C"
