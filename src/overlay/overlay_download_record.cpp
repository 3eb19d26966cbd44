#include "overlay/overlay_download_record.h"

#include "overlay/overlay_compatibility.h"
#include "overlay/overlay_download.h"

namespace spoolhook {
namespace {

constexpr DWORD kSubcommandOffset = 8;
constexpr DWORD kSlotOffset = 12;
constexpr DWORD kReportWarningsOffset = 12;
constexpr DWORD kExtensionLengthOffset = 16;

int SlotOf(const RecordView& record) {
  return static_cast<int>(static_cast<LONG>(record.WordOrZero(kSlotOffset)));
}

BOOL DownloadCommand(JobContext* job, const RecordView& record) {
  return SendOverlayDownloadCommand(job, SlotOf(record), record.WordOrZero(kExtensionLengthOffset));
}
BOOL Data(JobContext* job, const RecordView& record) {
  return SendOverlayData(job, SlotOf(record));
}
BOOL SizeText(JobContext* job, const RecordView& record) {
  return SendOverlaySizeText(job, SlotOf(record));
}
BOOL Report(JobContext* job, const RecordView& record) {
  return ReportOverlayStatus(job, record.WordOrZero(kReportWarningsOffset));
}

struct DownloadSubcommand {
  DWORD subcommand;
  DWORD recordBytes;  // the record must hold this many bytes
  BOOL (*run)(JobContext* job, const RecordView& record);
};

constexpr DownloadSubcommand kSubcommands[] = {
    {DOWNLOAD_COMMAND, 20, DownloadCommand},
    {DOWNLOAD_DATA, 16, Data},
    {DOWNLOAD_SIZE_TEXT, 16, SizeText},
    {DOWNLOAD_CHECK, kCompatibilityRecordBytes, CheckOverlayCompatibility},
    {DOWNLOAD_REPORT, 16, Report},
};

const DownloadSubcommand* Find(DWORD subcommand) {
  for (const DownloadSubcommand& row : kSubcommands) {
    if (row.subcommand == subcommand) return &row;
  }
  return nullptr;
}

}  // namespace

BOOL HandleOverlayDownloadRecord(JobContext* job, const RecordView& record, DWORD* written) {
  *written = 0;
  DWORD subcommand = 0;
  if (!record.ReadU32(kSubcommandOffset, &subcommand)) return FALSE;
  const DownloadSubcommand* row = Find(subcommand);
  if (row && record.size() < row->recordBytes) return FALSE;
  *written = record.size();
  return row ? row->run(job, record) : TRUE;
}

}  // namespace spoolhook
