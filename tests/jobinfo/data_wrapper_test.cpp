#include "jobinfo/data_wrapper.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/slots.h"
#include "jobinfo/attribute_packet.h"
#include "jobinfo/driver_block.h"
#include "jobinfo/packet_bytes.h"
#include "support/job_fixture.h"
#include "support/job_settings_records.h"

namespace spoolhook::testing {
namespace {

using Sender = BOOL (*)(JobContext* job, const void* data, DWORD length, DWORD* written);

const std::string kTenBytes = "0123456789";

class DataWrapperTest : public JobTest {
 protected:
  DriverBlock& driver() { return *GetDriverBlock(job()); }
  void Settings(const JobSettings& settings) {
    ASSERT_TRUE(Write(JobSettingsRecord(settings)).result);
  }
  // One send; expects success with the data's length reported.
  void Send(Sender send, const std::string& data) {
    DWORD written = 0;
    ASSERT_TRUE(send(job(), data.data(), static_cast<DWORD>(data.size()), &written));
    EXPECT_EQ(written, data.size());
  }
};

struct WrapperCase {
  const char* name;
  JobSettings settings;
  DWORD wrapperState;
  std::string expected;  // the wrapper, then the ten bytes
};

void PrintTo(const WrapperCase& c, std::ostream* os) { *os << c.name; }

class WrapperFormTest : public DataWrapperTest,
                        public ::testing::WithParamInterface<WrapperCase> {};

// Outside spooling both senders go to the port; each call gets a wrapper of its own.
TEST_P(WrapperFormTest, PutsTheWrapperAheadOfTheData) {
  Settings(GetParam().settings);
  driver().WrapperState = GetParam().wrapperState;
  Send(SendWrapped, kTenBytes);
  Send(SendWrappedDirect, kTenBytes);
  const std::string once = GetParam().expected + kTenBytes;
  EXPECT_EQ(machine_.PortBytes(), once + once);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, WrapperFormTest,
    ::testing::Values(
        WrapperCase{"Plain",
                    {.dataWrapperOn = 1},
                    0,
                    Hex("CD CA 10 02 00 1A 00 01 00 0B FF FF 00 00 00 00 00 00 00 00 01")},
        WrapperCase{"Extended",
                    {.dataWrapperOn = 1, .altMode = 1},
                    0,
                    Hex("CD CA 10 02 00 1A 00 01 00 13 FF FF 00 00 00 00 00 00 00 00"
                        " 06 00 00 0F C5 00 00 00 00")},
        WrapperCase{
            "Tagged",
            {.dataWrapperOn = 1, .packetTagOn = 1, .packetTagFirst = 1, .packetTagSecond = 2},
            0,
            Hex("CD CA 10 02 00 1A 00 01 00 0B 00 00 00 01 00 00 00 02 00 00 01")},
        WrapperCase{"TagValuesWithoutTheSwitch",
                    {.dataWrapperOn = 1, .packetTagFirst = 1, .packetTagSecond = 2},
                    0,
                    Hex("CD CA 10 02 00 1A 00 01 00 0B FF FF 00 00 00 00 00 00 00 00 01")},
        WrapperCase{"Final",
                    {.dataWrapperOn = 1},
                    WRAPPER_FINAL,
                    Hex("CD CA 10 00 00 1A 00 01 00 0B FF FF 00 00 00 00 00 00 00 00 01")},
        WrapperCase{"FinalExtendedTagged",
                    {.dataWrapperOn = 1,
                     .packetTagOn = 1,
                     .packetTagFirst = 0x11223344,
                     .packetTagSecond = 0xA1B2C3D4,
                     .altMode = 2},
                    0xFFFF,
                    Hex("CD CA 10 00 00 1A 00 01 00 13 11 22 33 44 A1 B2 C3 D4 00 00"
                        " 06 00 00 0F C5 00 00 00 00")},
        WrapperCase{"OtherStateBitsAreNotFinal",
                    {.dataWrapperOn = 1},
                    0xBFFF,
                    Hex("CD CA 10 02 00 1A 00 01 00 0B FF FF 00 00 00 00 00 00 00 00 01")},
        WrapperCase{"NoWrapper", {.dataWrapperOn = 0, .altMode = 1}, 0, ""}),
    [](const ::testing::TestParamInfo<WrapperCase>& info) { return info.param.name; });

TEST_F(DataWrapperTest, TheFinalBitTakesEffectForLaterWrappersOnly) {
  Settings({.dataWrapperOn = 1});
  const std::string notFinal =
      Hex("CD CA 10 02 00 1A 00 01 00 01 FF FF 00 00 00 00 00 00 00 00 01");
  const std::string final = Hex("CD CA 10 00 00 1A 00 01 00 01 FF FF 00 00 00 00 00 00 00 00 01");
  Send(SendWrapped, "");
  driver().WrapperState |= WRAPPER_FINAL;
  Send(SendWrapped, "");
  Send(SendWrapped, "");
  driver().WrapperState &= ~WRAPPER_FINAL;
  Send(SendWrapped, "");
  EXPECT_EQ(machine_.PortBytes(), notFinal + final + final + notFinal);
}

TEST_F(DataWrapperTest, SendWrappedSpoolsAndSendWrappedDirectBypassesTheSpoolFile) {
  Settings({.dataWrapperOn = 1});
  const std::string path = machine_.Folder() + "SPOOL.TMP";
  ASSERT_NE(OpenFileSlot(&job()->SpoolFile, path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr),
            INVALID_HANDLE_VALUE);
  job()->Spooling = 1;
  const std::string wrapper = Hex("CD CA 10 02 00 1A 00 01 00 04 FF FF 00 00 00 00 00 00 00 00 01");
  Send(SendWrapped, "pag");
  Send(SendWrappedDirect, "cmd");
  CloseFileSlot(&job()->SpoolFile);
  EXPECT_EQ(machine_.ReadFileBytes(path), wrapper + "pag");
  EXPECT_EQ(machine_.PortBytes(), wrapper + "cmd");
}

TEST_F(DataWrapperTest, AFailedWrapperWriteStopsBeforeTheData) {
  Settings({.dataWrapperOn = 1});
  machine_.faults().FailCall("WritePrinter", 1);
  DWORD written = 55;
  EXPECT_FALSE(SendWrappedDirect(job(), kTenBytes.data(), 10, &written));
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(machine_.PortBytes(), "");
  EXPECT_EQ(machine_.faults().CallCount("WritePrinter"), 1u);
}

TEST_F(DataWrapperTest, AFailedDataWriteIsTheResult) {
  Settings({.dataWrapperOn = 1});
  machine_.faults().FailCall("WritePrinter", 2);
  DWORD written = 55;
  EXPECT_FALSE(SendWrappedDirect(job(), kTenBytes.data(), 10, &written));
  EXPECT_EQ(machine_.PortBytes(),
            Hex("CD CA 10 02 00 1A 00 01 00 0B FF FF 00 00 00 00 00 00 00 00 01"));
}

TEST_F(DataWrapperTest, AFailedWrapperWriteIntoTheSpoolFileStopsSendWrapped) {
  Settings({.dataWrapperOn = 1});
  const std::string path = machine_.Folder() + "SPOOL.TMP";
  ASSERT_NE(OpenFileSlot(&job()->SpoolFile, path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr),
            INVALID_HANDLE_VALUE);
  job()->Spooling = 1;
  job()->ReverseOrder = 1;
  machine_.faults().FailCall("WriteFile", 1);
  DWORD written = 55;
  EXPECT_FALSE(SendWrapped(job(), kTenBytes.data(), 10, &written));
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(machine_.faults().CallCount("WriteFile"), 1u);
}

TEST_F(DataWrapperTest, CancelledOutputSwallowsWrapperAndData) {
  Settings({.dataWrapperOn = 1});
  CancelJobOutput(job());
  for (Sender send : {SendWrapped, SendWrappedDirect}) Send(send, kTenBytes);
  EXPECT_EQ(machine_.PortBytes(), "");
}

struct LengthCase {
  const char* name;
  DWORD altMode;
  DWORD length;
  const char* lengthField;  // empty: refused
};

void PrintTo(const LengthCase& c, std::ostream* os) { *os << c.name; }

class WrapperLengthTest : public DataWrapperTest,
                          public ::testing::WithParamInterface<LengthCase> {};

// The 16-bit length field announces the wrapper's payload and the data; more data than it can
// announce is refused rather than sent behind a wrong length.
TEST_P(WrapperLengthTest, AnnouncesTheDataOrRefusesIt) {
  const LengthCase& c = GetParam();
  Settings({.dataWrapperOn = 1, .altMode = c.altMode});
  const std::string data(c.length, 'd');
  DWORD written = 55;
  const BOOL result = SendWrappedDirect(job(), data.data(), c.length, &written);
  const std::string port = machine_.PortBytes();
  if (std::strlen(c.lengthField) == 0) {
    EXPECT_FALSE(result);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(port, "");
    return;
  }
  ASSERT_TRUE(result);
  EXPECT_EQ(written, c.length);
  const std::size_t wrapperSize = c.altMode ? 29 : 21;
  ASSERT_EQ(port.size(), wrapperSize + c.length);
  EXPECT_EQ(port.substr(8, 2), Hex(c.lengthField));
  EXPECT_EQ(port.substr(wrapperSize), data);
}

INSTANTIATE_TEST_SUITE_P(Lengths, WrapperLengthTest,
                         ::testing::Values(LengthCase{"PlainEmpty", 0, 0, "00 01"},
                                           LengthCase{"PlainLargest", 0, 65534, "FF FF"},
                                           LengthCase{"PlainTooLong", 0, 65535, ""},
                                           LengthCase{"ExtendedEmpty", 1, 0, "00 09"},
                                           LengthCase{"ExtendedLargest", 1, 65526, "FF FF"},
                                           LengthCase{"ExtendedTooLong", 1, 65527, ""}),
                         [](const ::testing::TestParamInfo<LengthCase>& info) {
                           return info.param.name;
                         });

TEST(ByteOrderTest, ReversesTheBytes) {
  EXPECT_EQ(ToBigEndian16(0x1234), 0x3412);
  EXPECT_EQ(ToBigEndian16(0x00FF), 0xFF00);
  EXPECT_EQ(ToBigEndian32(0x12345678u), 0x78563412u);
  EXPECT_EQ(ToBigEndian32(0xFF000001u), 0x010000FFu);
  BYTE stored[6];
  PutBigEndian16(stored, 0x0FC5);
  PutBigEndian32(stored + 2, 0x00000FC5);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(stored), 6), Hex("0F C5 00 00 0F C5"));
}

TEST(PacketHeaderTest, FillsTheHeaderAndLeavesThePayload) {
  BYTE packet[24];
  std::memset(packet, 0xAA, sizeof packet);
  InitPacketHeader(packet, 0, 5, 6);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(packet), 24),
            Hex("CD CA 10 00 00 00 00 01 00 00 FF FF 00 00 00 00 00 00 00 00 AA AA AA AA"));
  InitPacketHeader(packet, 1, 0, 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(packet), 20),
            Hex("CD CA 10 00 00 00 00 01 00 00 00 00 00 00 00 00 00 00 00 00"));
}

}  // namespace
}  // namespace spoolhook::testing
