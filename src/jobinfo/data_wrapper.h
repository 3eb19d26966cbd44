// The data wrapper: an AttributePacket (opcode 0x001A) that announces how many bytes of
// ordinary printer data follow it in the stream, and the senders that put one ahead of their
// data when the job's settings ask for it (DataWrapperOn). All take a job with a DriverBlock.
#pragma once

#include "engine/job_context.h"

namespace spoolhook {

// WrapperState bit: the final wrapper has been sent; later wrappers built from the job state
// are final too.
constexpr DWORD WRAPPER_FINAL = 0x4000;

// Wrapper sizes of the plain form and of the extended form (AltMode non-zero), and the most
// data that the 16-bit length field can announce behind each.
constexpr WORD kPlainWrapperBytes = 21;
constexpr WORD kExtendedWrapperBytes = 29;
constexpr DWORD kMaxPlainWrappedBytes = 65534;
constexpr DWORD kMaxExtendedWrappedBytes = 65526;
// A buffer that holds either form.
constexpr DWORD kWrapperBufferBytes = 64;

// Writes opcode, flags, length and the payload of the form AltMode selects into `packet`,
// whose header InitPacketHeader has filled. Returns the wrapper's size, 21 or 29; 0 when
// `dataLength` is more than the length field can announce (nothing is built then).
WORD BuildDataWrapper(JobContext* job, BYTE* packet, DWORD dataLength, BOOL final);
// BuildDataWrapper, final once WrapperState has WRAPPER_FINAL.
WORD BuildJobDataWrapper(JobContext* job, BYTE* packet, DWORD dataLength);

// Write the data with WriteRecordData (into the spool file while spooling), behind a wrapper
// when DataWrapperOn is set. The count written is that of the data; a failed wrapper write
// fails the call with nothing of the data written.
BOOL SendWrapped(JobContext* job, const void* data, DWORD length, DWORD* written);
// The same through WriteDirect: both writes bypass the spool file.
BOOL SendWrappedDirect(JobContext* job, const void* data, DWORD length, DWORD* written);

}  // namespace spoolhook
