#include "engine/job_context.h"

#include <cstring>

#include "engine/slots.h"
#include "platform/platform.h"

namespace spoolhook {
namespace {

// The directory of the driver's main file, from the spooler's driver information; stays
// empty when the spooler cannot tell.
void FindDriverDirectory(JobContext* job, HANDLE printer) {
  Platform& os = Os();
  DWORD needed = 0;
  os.GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &needed);
  BYTE* info = nullptr;
  if (needed >= sizeof(DRIVER_INFO_2W) && MemAlloc(&info, needed) &&
      os.GetPrinterDriverW(printer, nullptr, 2, info, needed, &needed)) {
    const auto* driver = reinterpret_cast<const DRIVER_INFO_2W*>(info);
    if (driver->pDriverPath && MemCopyStringW(&job->DriverDirectory, driver->pDriverPath)) {
      char16_t* path = job->DriverDirectory;
      for (std::size_t i = WideLength(path); i-- > 1;) {
        if (path[i] == u'\\') {
          path[i] = u'\0';
          break;
        }
      }
    }
  }
  MemFree(&info);
}

void ApplyOptions(JobContext* job, const JobOption* options) {
  for (const JobOption* option = options; option->id != JOB_OPTION_END; ++option) {
    switch (option->id) {
      case JOB_OPTION_PAPER_SOURCE:
        job->PaperSourceCallback = reinterpret_cast<PaperSourceCallbackFn>(option->value);
        break;
      case JOB_OPTION_BLANK_PAGE:
        job->BlankPageCallback = reinterpret_cast<BlankPageCallbackFn>(option->value);
        break;
      case JOB_OPTION_GROUP_PAD:
        job->GroupPadCallback = reinterpret_cast<GroupPadCallbackFn>(option->value);
        break;
      default:
        break;
    }
  }
}

bool IsOverlayIndex(int index) { return index >= 0 && index < kOverlaySlots; }

char* NonEmpty(char* text) { return text && text[0] ? text : nullptr; }

}  // namespace

JobContext* CreateJobContext(HANDLE printer, DWORD jobId, DWORD driverBlockSize,
                             const JobOption* options) {
  if (!printer) return nullptr;
  JobContext* job = nullptr;
  if (!MemAlloc(&job, sizeof(JobContext) + driverBlockSize)) return nullptr;
  job->DriverBlockOffset = driverBlockSize ? sizeof(JobContext) : 0;
  std::memcpy(job->Magic, "GSRD", sizeof job->Magic);
  job->Printer = printer;
  job->JobId = jobId;
  job->SpoolFile = INVALID_HANDLE_VALUE;
  FindDriverDirectory(job, printer);
  if (options) ApplyOptions(job, options);
  job->CaptureFile = INVALID_HANDLE_VALUE;
  job->OutputMode = OUTPUT_PRINTER;
  return job;
}

DriverBlock* GetDriverBlock(JobContext* job) {
  if (job->DriverBlockOffset == 0) return nullptr;
  return reinterpret_cast<DriverBlock*>(reinterpret_cast<BYTE*>(job) + job->DriverBlockOffset);
}

void CancelJobOutput(JobContext* job) { job->Flags |= OUTPUT_CANCELLED; }

BOOL IsJobOutputCancelled(const JobContext* job) {
  return (job->Flags & OUTPUT_CANCELLED) ? TRUE : FALSE;
}

DWORD GetJobError(const JobContext* job) { return job->JobError; }

LONG GetCopies(const JobContext* job) { return job->Copies; }

DWORD GetBytesSent(const JobContext* job) { return job->BytesSent; }

char* GetNewOverlayPath(JobContext* job) { return NonEmpty(job->NewOverlayPath); }

char* GetOverlayPath(JobContext* job, int index) {
  return IsOverlayIndex(index) ? NonEmpty(job->OverlayPaths[index]) : nullptr;
}

DWORD GetOverlayStatus(const JobContext* job, int index) {
  return IsOverlayIndex(index) ? job->OverlayStatus[index] : 0;
}

void SetOverlayStatus(JobContext* job, int index, DWORD value) {
  if (IsOverlayIndex(index)) job->OverlayStatus[index] = value;
}

void ReleaseJobContext(JobContext* job) {
  MemFree(&job->NewOverlayPath);
  for (char*& path : job->OverlayPaths) MemFree(&path);
  CloseFileSlot(&job->SpoolFile);
  // The replay's read handle is zero until a page index exists.
  if (job->ReplayFile) CloseFileSlot(&job->ReplayFile);
  MemFree(&job->ReplayBuffer);
  MemFree(&job->PageIndex.Block);
  MemFree(&job->PassSections.Block);
  MemFree(&job->CycleSections.Block);
  // A job that ended without DrvSplEndDoc still holds its capture file; close it so that it
  // can be deleted below and the handle does not leak.
  CloseFileSlot(&job->CaptureFile);
  Platform& os = Os();
  if (job->SpoolFileName[0]) {
    os.DeleteFileA(job->SpoolFileName);
    std::memset(job->SpoolFileName, 0, sizeof job->SpoolFileName);
  }
  if ((job->OutputMode & OUTPUT_DELETE_CAPTURE) && job->CapturePath && job->CapturePath[0]) {
    os.DeleteFileW(job->CapturePath);
  }
  MemFree(&job->CapturePath);
  MemFree(&job->DriverDirectory);
  MemFree(&job->UserName);
  MemFree(&job);
}

}  // namespace spoolhook
