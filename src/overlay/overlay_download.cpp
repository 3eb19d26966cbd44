#include "overlay/overlay_download.h"

#include <cstdio>

#include "jobinfo/attribute_packet.h"
#include "jobinfo/data_wrapper.h"
#include "overlay/opened_file.h"
#include "overlay/overlay_files.h"
#include "overlay/overlay_header.h"

namespace spoolhook {
namespace {

constexpr DWORD kDownloadBlockBytes = 12;
constexpr BYTE kDownloadBlockMark = 'S';
constexpr DWORD kFormBlockBytes = 4096;
constexpr ULONGLONG kMaxAnnouncedBytes = 0x7FFFFFFF;  // what "%ld" of a signed 32-bit n states
constexpr DWORD kMaxDataOffset = 0x7FFFFFFF;          // what one move from the start reaches
// "\x1B[", a signed 32-bit number, ";0.w" and a terminator.
constexpr int kCommandTextBytes = 2 + 11 + 4 + 1;

BOOL Send(JobContext* job, const void* data, DWORD length) {
  DWORD written = 0;
  return SendWrapped(job, data, length, &written);
}

// Sends the form data of the file at `path`; the file is closed again on every path.
bool SendFormData(JobContext* job, const char* path) {
  OpenedFile file(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  BYTE offset[4];
  if (!file.ReadWhole(offset, sizeof offset)) return false;
  const DWORD dataOffset = GetLittleEndian32(offset);
  if (dataOffset > kMaxDataOffset || !file.Seek(static_cast<LONG>(dataOffset), FILE_BEGIN)) {
    return false;
  }
  BYTE block[kFormBlockBytes];
  for (;;) {
    DWORD read = 0;
    if (!file.ReadSome(block, sizeof block, &read) || !Send(job, block, read)) return false;
    if (read < sizeof block) return true;
  }
}

}  // namespace

BOOL SendOverlayDownloadCommand(JobContext* job, int slot, DWORD extensionLength) {
  const LONG dataLength = GetOverlayDataLength(job, slot);
  if (dataLength < 0) return FALSE;
  const ULONGLONG announced = ULONGLONG{kDownloadBlockBytes} + extensionLength + dataLength;
  // The printer would misread a size that the command cannot state.
  if (announced > kMaxAnnouncedBytes) return FALSE;
  BYTE command[kCommandTextBytes + kDownloadBlockBytes] = {};
  const int textLength = std::snprintf(reinterpret_cast<char*>(command), kCommandTextBytes,
                                       "\x1B[%ld;0.w", static_cast<long>(announced));
  BYTE* block = command + textLength;
  PutBigEndian32(block, kDownloadBlockBytes + extensionLength);
  block[9] = kDownloadBlockMark;
  PutBigEndian16(block + 10, static_cast<WORD>(extensionLength & 0xFFFF));
  return Send(job, command, static_cast<DWORD>(textLength) + kDownloadBlockBytes);
}

BOOL SendOverlayData(JobContext* job, int slot) {
  const char* path = GetOverlayPath(job, slot);
  if (!path) return FALSE;
  if (SendFormData(job, path)) return TRUE;
  CancelJobOutput(job);
  return FALSE;
}

BOOL SendOverlaySizeText(JobContext* job, int slot) {
  const LONG dataLength = GetOverlayDataLength(job, slot);
  if (dataLength < 0) return FALSE;
  char text[12];
  const int textLength = std::snprintf(text, sizeof text, "%ld", static_cast<long>(dataLength));
  return Send(job, text, static_cast<DWORD>(textLength));
}

}  // namespace spoolhook
