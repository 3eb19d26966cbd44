#include "overlay/overlay_compatibility.h"

#include "overlay/overlay_files.h"

namespace spoolhook {
namespace {

// Record offsets of the check fields, all 16 bits.
constexpr DWORD kOrientationOffset = 16;
constexpr DWORD kScalingOrLayoutOffset = 18;
constexpr DWORD kResolutionOffset = 24;
constexpr DWORD kCompatibilityOffset = 28;  // 0: used as a compatible overlay file
constexpr DWORD kColourModeOffset = 30;
constexpr DWORD kPaperSizeOffset = 32;
constexpr DWORD kSlotOffset = 36;
constexpr DWORD kPageGeometryOffset = 38;  // four values
constexpr int kPageGeometryValues = 4;

constexpr BYTE kForeignCreator = 10;
constexpr BYTE kNotCompatibleMark = 1;
constexpr int kPageGeometryTolerance = 12;

// The record's little-endian 16 bits at `offset`; a field the record does not hold reads as 0.
WORD RecordWord16(const RecordView& record, DWORD offset) {
  const BYTE* bytes = record.Bytes(offset, 2);
  return bytes ? GetLittleEndian16(bytes) : WORD{0};
}

bool PageDiffers(const RecordView& record, const BYTE* header) {
  if (RecordWord16(record, kPaperSizeOffset) !=
          TranslateOverlayPaperSize(GetLittleEndian16(header + OVERLAY_PAPER_SIZE)) ||
      RecordWord16(record, kOrientationOffset) != header[OVERLAY_ORIENTATION]) {
    return true;
  }
  for (int i = 0; i < kPageGeometryValues; ++i) {
    const int wanted = RecordWord16(record, kPageGeometryOffset + 2 * i);
    const int stored = GetLittleEndian16(header + OVERLAY_PAGE_GEOMETRY + 2 * i);
    if (wanted - stored > kPageGeometryTolerance || stored - wanted > kPageGeometryTolerance) {
      return true;
    }
  }
  return false;
}

// The header's status against the record's check fields: the first fault decides.
DWORD CompareWithHeader(const RecordView& record, const BYTE* header) {
  const bool compatibleUse = RecordWord16(record, kCompatibilityOffset) == 0;
  if (header[OVERLAY_CREATOR_KIND] == kForeignCreator) return OVERLAY_FOREIGN_CREATOR;
  if (compatibleUse && header[OVERLAY_MODE_MARK] == kNotCompatibleMark) {
    return OVERLAY_NOT_COMPATIBLE;
  }
  // The job's resolution is signed, the file's is not: a negative one never matches.
  const LONG resolution = static_cast<std::int16_t>(RecordWord16(record, kResolutionOffset));
  if (resolution != GetLittleEndian16(header + OVERLAY_RESOLUTION))
    return OVERLAY_RESOLUTION_DIFFERS;
  if (RecordWord16(record, kColourModeOffset) != header[OVERLAY_COLOUR_MODE]) {
    return OVERLAY_COLOUR_DIFFERS;
  }
  if (compatibleUse && RecordWord16(record, kScalingOrLayoutOffset) != 0) {
    return OVERLAY_SCALING_IN_COMPATIBLE;
  }
  return PageDiffers(record, header) ? OVERLAY_OK | OVERLAY_PAGE_MISMATCH : OVERLAY_OK;
}

}  // namespace

BOOL CheckOverlayCompatibility(JobContext* job, const RecordView& record) {
  const int slot = static_cast<std::int16_t>(RecordWord16(record, kSlotOffset));
  // There are eight status words only.
  if (slot < 0 || slot >= kOverlaySlots) return FALSE;
  DWORD status = CheckOverlaySignature(job, slot);
  if (status == OVERLAY_OK) {
    BYTE header[kOverlayHeaderBytes] = {};
    status = ReadOverlayHeader(job, slot, header) ? CompareWithHeader(record, header)
                                                  : OVERLAY_UNREADABLE;
  }
  SetOverlayStatus(job, slot, status);
  return TRUE;
}

}  // namespace spoolhook
