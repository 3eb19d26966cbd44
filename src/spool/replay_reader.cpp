#include "engine/output_sink.h"
#include "engine/slots.h"
#include "platform/platform.h"
#include "spool/page_marks.h"
#include "spool/replay.h"
#include "spool/replay_steps.h"

namespace spoolhook {
namespace {

constexpr DWORD kReplayBufferBytes = 4096;

bool SpoolWriteHasFailed(const JobContext* job) {
  return job->ErrorLatched && (job->Flags & SPOOL_WRITE_FAILED);
}

// Moves the reader to `offset`, the whole unsigned 32-bit range. FALSE, with the output
// cancelled, when the move fails.
BOOL SeekReader(JobContext* job, DWORD offset) {
  Platform& os = Os();
  LONG high = 0;
  os.SetLastError(ERROR_SUCCESS);
  const DWORD low =
      os.SetFilePointer(job->ReplayFile, static_cast<LONG>(offset), &high, FILE_BEGIN);
  if (low != INVALID_SET_FILE_POINTER || os.GetLastError() == ERROR_SUCCESS) return TRUE;
  CancelJobOutput(job);
  return FALSE;
}

// Copies `length` bytes from `offset` of the spool file to WriteJobData, at most 4096 bytes a
// read. A read that ends early is continued; one that finds the end of the file before the
// region's end fails, since the file no longer holds what its index says.
BOOL CopyRegion(JobContext* job, DWORD offset, DWORD length) {
  if (length == 0) return TRUE;
  if (!SeekReader(job, offset)) return FALSE;
  Platform& os = Os();
  while (length > 0) {
    const DWORD chunk = length < kReplayBufferBytes ? length : kReplayBufferBytes;
    DWORD read = 0;
    if (!job->ReplayBuffer ||
        !os.ReadFile(job->ReplayFile, job->ReplayBuffer, chunk, &read, nullptr) || read == 0) {
      return FALSE;
    }
    DWORD written = 0;
    if (!WriteJobData(job, job->ReplayBuffer, read, &written)) return FALSE;
    length -= read;
  }
  return TRUE;
}

const PageEntry* FindEntry(const JobContext* job, SpoolEntry entry, LONG page) {
  switch (entry) {
    case SpoolEntry::kHeader:
      return job->PageIndex.HeaderEntry;
    case SpoolEntry::kTrailer:
      return job->PageIndex.TrailerEntry;
    default:
      return FindPage(job, page);
  }
}

}  // namespace

bool IsReplayOpen(const JobContext* job) {
  return job->ReplayFile && job->ReplayFile != INVALID_HANDLE_VALUE;
}

BOOL OpenReplay(JobContext* job) {
  if (SpoolWriteHasFailed(job)) return FALSE;
  if (!MemAlloc(&job->ReplayBuffer, kReplayBufferBytes)) {
    CancelJobOutput(job);
    return FALSE;
  }
  // OpenFileSlot closes a reader that is still open; a slot that never held one holds zero.
  if (!job->ReplayFile) job->ReplayFile = INVALID_HANDLE_VALUE;
  if (OpenFileSlot(&job->ReplayFile, job->SpoolFileName, GENERIC_READ, FILE_SHARE_READ, nullptr,
                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr) == INVALID_HANDLE_VALUE) {
    CancelJobOutput(job);
    MemFree(&job->ReplayBuffer);
    return FALSE;
  }
  return TRUE;
}

BOOL CloseReplay(JobContext* job) {
  if (IsReplayOpen(job)) CloseFileSlot(&job->ReplayFile);
  MemFree(&job->ReplayBuffer);
  return TRUE;
}

BOOL ReplayEntry(JobContext* job, SpoolEntry entry, LONG page, DWORD parts) {
  const PageEntry* found = FindEntry(job, entry, page);
  if (!found) return FALSE;
  if (entry != SpoolEntry::kPage) parts = PART_LEAD;
  if ((parts & PART_LEAD) && !CopyRegion(job, found->LeadOffset, found->LeadLength)) return FALSE;
  if ((parts & PART_BODY) && !CopyRegion(job, found->BodyOffset, found->BodyLength)) return FALSE;
  return TRUE;
}

BOOL ReplaySectionEntry(JobContext* job, const SectionTable& table, LONG section) {
  const SectionEntry* found = FindSection(table, section);
  return found && CopyRegion(job, found->Offset, found->Length);
}

BOOL GetSpoolSize(JobContext* job, DWORD* size) {
  if (!size) return FALSE;
  *size = 0;
  HANDLE own = INVALID_HANDLE_VALUE;
  HANDLE file = job->ReplayFile;
  if (!IsReplayOpen(job)) {
    file = OpenFileSlot(&own, job->SpoolFileName, GENERIC_READ, FILE_SHARE_READ, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return TRUE;
  }
  BOOL result = TRUE;
  *size = Os().SetFilePointer(file, 0, nullptr, FILE_END);
  if (*size == INVALID_SET_FILE_POINTER) {
    *size = 0;
    CancelJobOutput(job);
    result = FALSE;
  }
  CloseFileSlot(&own);
  return result;
}

}  // namespace spoolhook
