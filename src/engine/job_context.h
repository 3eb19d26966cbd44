// The per-job state block and job handle: the engine's fields, in order, and directly behind
// them the driver layer's DriverBlock, in one zero-filled block of the process heap.
#pragma once

#include "platform/win_types.h"
#include "spool/page_index.h"

namespace spoolhook {

struct JobContext;
struct DriverBlock;

using PaperSourceCallbackFn = BOOL (*)(JobContext* job, LONG paperSource, LONG typeRequest);
using BlankPageCallbackFn = BOOL (*)(JobContext* job);
using GroupPadCallbackFn = BOOL (*)(JobContext* job, LONG groupSize, LONG pagesPresent);

// Flags bits.
constexpr DWORD OUTPUT_CANCELLED = 0x1;
constexpr DWORD SPOOL_WRITE_FAILED = 0x2;

// OutputMode bits.
constexpr DWORD OUTPUT_PRINTER = 0x1;
constexpr DWORD OUTPUT_CAPTURE = 0x2;
constexpr DWORD OUTPUT_DELETE_CAPTURE = 0x100;

constexpr int kOverlaySlots = 8;
constexpr DWORD kPathBytes = 260;

struct JobContext {
  char Magic[4];  // "GSRD"
  DWORD BytesSent;
  DWORD DriverBlockOffset;
  HANDLE Printer;
  DWORD JobId;
  DWORD Flags;
  char SpoolFileName[kPathBytes];
  HANDLE SpoolFile;
  DWORD IndexMarks;
  DWORD SectionOpen;
  PageTable PageIndex;
  SectionTable PassSections;
  SectionTable CycleSections;
  HANDLE ReplayFile;
  BYTE* ReplayBuffer;
  std::int16_t Copies;
  DWORD ReverseOrder;
  DWORD Collate;
  DWORD DuplexMode;
  DWORD ReplayMode;
  DWORD Spooling;
  DWORD JobError;
  DWORD ErrorLatched;
  char AccountingPath[kPathBytes];
  char16_t* DriverDirectory;
  char16_t* UserName;
  DWORD OutputMode;
  char16_t* CapturePath;
  HANDLE CaptureFile;
  DWORD OverlayOutput;
  char* NewOverlayPath;
  char* OverlayPaths[kOverlaySlots];
  DWORD OverlayStatus[kOverlaySlots];
  DWORD InterleafOptions;
  std::int16_t PaperSourceMode;
  std::int16_t DefaultBin;
  std::int16_t FirstBin;
  std::int16_t SecondBin;
  std::int16_t LastBin;
  std::int16_t InterleafBin;
  std::int16_t PagesPerSide;
  PaperSourceCallbackFn PaperSourceCallback;
  BlankPageCallbackFn BlankPageCallback;
  GroupPadCallbackFn GroupPadCallback;
  DWORD ReplayOptions;
};

// One pair of the option list of CreateJobContext; the list ends at id JOB_OPTION_END.
struct JobOption {
  DWORD id;
  FARPROC value;
};
constexpr DWORD JOB_OPTION_PAPER_SOURCE = 1;
constexpr DWORD JOB_OPTION_BLANK_PAGE = 2;
constexpr DWORD JOB_OPTION_GROUP_PAD = 3;
constexpr DWORD JOB_OPTION_END = 9999;

// A new job for `printer`, with a DriverBlock of `driverBlockSize` bytes behind the engine's
// fields; none without a printer or when the block cannot be had.
JobContext* CreateJobContext(HANDLE printer, DWORD jobId, DWORD driverBlockSize,
                             const JobOption* options);

DriverBlock* GetDriverBlock(JobContext* job);
void CancelJobOutput(JobContext* job);
BOOL IsJobOutputCancelled(const JobContext* job);
DWORD GetJobError(const JobContext* job);
LONG GetCopies(const JobContext* job);
DWORD GetBytesSent(const JobContext* job);
char* GetNewOverlayPath(JobContext* job);
char* GetOverlayPath(JobContext* job, int index);
// Indexes outside 0 to 7 read as 0 and are not stored.
DWORD GetOverlayStatus(const JobContext* job, int index);
void SetOverlayStatus(JobContext* job, int index, DWORD value);

// Releases everything the job holds and frees its block.
void ReleaseJobContext(JobContext* job);

}  // namespace spoolhook
