#include "jobinfo/attribute_encoder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "jobinfo/attribute_packet.h"
#include "jobinfo/ext_attribute_encoder.h"
#include "jobinfo/packet_bytes.h"
#include "support/inaccessible_memory.h"

namespace spoolhook::testing {
namespace {

const WORD kCode3 = 3;
const std::string kX50(50, 'x');
const std::string kX100(100, 'x');
const std::string kX200(200, 'x');
const std::string kX300(300, 'x');

// 48 bytes that count from 0.
const std::string& CountingBlock() {
  static const std::string block = [] {
    std::string bytes;
    for (int i = 0; i < 48; ++i) bytes.push_back(char(i));
    return bytes;
  }();
  return block;
}

SYSTEMTIME Time(WORD year, WORD month, WORD weekday, WORD day, WORD hour, WORD minute, WORD second,
                WORD milliseconds) {
  return SYSTEMTIME{year, month, weekday, day, hour, minute, second, milliseconds};
}

const SYSTEMTIME kSunday7March2004 = Time(2004, 3, 0, 7, 13, 5, 9, 250);
const SYSTEMTIME kSaturday31December2022 = Time(2022, 12, 6, 31, 23, 59, 59, 999);
const SYSTEMTIME kMonday1January2001 = Time(2001, 1, 1, 1, 0, 0, 0, 0);

struct EncodeCase {
  const char* name;
  std::function<WORD(AttributePacketBuffer&)> encode;
  std::string expected;  // the whole packet; empty: nothing to send
};

void PrintTo(const EncodeCase& c, std::ostream* os) { *os << c.name; }

class EncodeTest : public ::testing::TestWithParam<EncodeCase> {};

// Every encoder keeps the untagged header InitPacketHeader wrote and writes its opcode even
// when it has nothing to send.
TEST_P(EncodeTest, BuildsThePacket) {
  const EncodeCase& c = GetParam();
  AttributePacketBuffer packet;
  std::memset(packet, 0xAA, sizeof packet);
  InitPacketHeader(packet, 0, 0, 0);
  const WORD size = c.encode(packet);
  const std::string bytes(reinterpret_cast<const char*>(packet), sizeof packet);
  if (c.expected.empty()) {
    EXPECT_EQ(size, 0);
    EXPECT_EQ(bytes.substr(0, 4), Hex("CD CA 10 00"));
    return;
  }
  ASSERT_EQ(size, c.expected.size());
  EXPECT_EQ(bytes.substr(0, size), c.expected);
  // Nothing written behind the packet.
  EXPECT_EQ(bytes.substr(size), std::string(sizeof packet - size, '\xAA'));
}

WORD Basic(AttributePacketBuffer& packet, DWORD kind, const void* value,
           const WORD* code = nullptr) {
  return EncodeAttribute(packet, kind, value, code);
}

INSTANTIATE_TEST_SUITE_P(
    BasicKinds, EncodeTest,
    ::testing::Values(
        EncodeCase{"JobTitle",
                   [](auto& p) { return Basic(p, ATTRIBUTE_JOB_TITLE, "Q3"); },
                   Attribute("00 07", Hex("00 04 00 11 02 51 33"))},
        EncodeCase{"JobTitleEmptyIsSent",
                   [](auto& p) { return Basic(p, ATTRIBUTE_JOB_TITLE, ""); },
                   Attribute("00 05", Hex("00 04 00 11 00"))},
        EncodeCase{"JobTitleCutTo32",
                   [](auto& p) { return Basic(p, ATTRIBUTE_JOB_TITLE, kX50.c_str()); },
                   Attribute("00 25", Hex("00 04 00 11 20") + std::string(32, 'x'))},
        EncodeCase{"JobTitleWithCode",
                   [](auto& p) { return Basic(p, ATTRIBUTE_JOB_TITLE, "A", &kCode3); },
                   Attribute("00 06", Hex("00 04 00 03 01 41"))},
        EncodeCase{"JobTitleNone", [](auto& p) { return Basic(p, ATTRIBUTE_JOB_TITLE, nullptr); },
                   ""},
        EncodeCase{"UserName",
                   [](auto& p) { return Basic(p, ATTRIBUTE_USER_NAME, "bob"); },
                   Attribute("00 08", Hex("00 06 00 11 03 62 6F 62"))},
        EncodeCase{"UserNameEmptyIsNotSent",
                   [](auto& p) { return Basic(p, ATTRIBUTE_USER_NAME, ""); }, ""},
        EncodeCase{"UserNameCutTo128",
                   [](auto& p) { return Basic(p, ATTRIBUTE_USER_NAME, kX200.c_str()); },
                   Attribute("00 85", Hex("00 06 00 11 80") + std::string(128, 'x'))},
        EncodeCase{"AccountShortEmptyIsSent",
                   [](auto& p) { return Basic(p, ATTRIBUTE_ACCOUNT_SHORT, ""); },
                   Attribute("00 03", Hex("00 08 00"))},
        EncodeCase{"AccountShortIgnoresTheCode",
                   [](auto& p) { return Basic(p, ATTRIBUTE_ACCOUNT_SHORT, "AC", &kCode3); },
                   Attribute("00 05", Hex("00 08 02 41 43"))},
        EncodeCase{"AccountShortCutTo40",
                   [](auto& p) { return Basic(p, ATTRIBUTE_ACCOUNT_SHORT, kX50.c_str()); },
                   Attribute("00 2B", Hex("00 08 28") + std::string(40, 'x'))},
        EncodeCase{"SettingsTimeSundayIsSeven",
                   [](auto& p) { return Basic(p, ATTRIBUTE_SETTINGS_TIME, &kSunday7March2004); },
                   Attribute("00 0A", Hex("00 09 7D 43 3F 00 0D 05 24 22"))},
        EncodeCase{"SettingsTimeLargestFields",
                   [](auto& p) {
                     return Basic(p, ATTRIBUTE_SETTINGS_TIME, &kSaturday31December2022);
                   },
                   Attribute("00 0A", Hex("00 09 7E 6C FE 00 17 3B EA 5F"))},
        EncodeCase{"SettingsTimeMondayIsOne",
                   [](auto& p) { return Basic(p, ATTRIBUTE_SETTINGS_TIME, &kMonday1January2001); },
                   Attribute("00 0A", Hex("00 09 7D 11 09 00 00 00 00 00"))},
        EncodeCase{"AccountCutTo80",
                   [](auto& p) { return Basic(p, ATTRIBUTE_ACCOUNT, kX100.c_str(), &kCode3); },
                   Attribute("00 55", Hex("00 0A 00 03 50") + std::string(80, 'x'))},
        EncodeCase{"AccountEmptyIsNotSent",
                   [](auto& p) { return Basic(p, ATTRIBUTE_ACCOUNT, "", &kCode3); }, ""},
        EncodeCase{"AccountSecond",
                   [](auto& p) { return Basic(p, ATTRIBUTE_ACCOUNT_SECOND, "acct", &kCode3); },
                   Attribute("00 09", Hex("00 0B 00 03 04 61 63 63 74"))},
        EncodeCase{"AccountSecondEmptyIsNotSent",
                   [](auto& p) { return Basic(p, ATTRIBUTE_ACCOUNT_SECOND, ""); }, ""},
        EncodeCase{"AccountNumber",
                   [](auto& p) {
                     const DWORD value = 0x12345678;
                     return Basic(p, ATTRIBUTE_ACCOUNT_NUMBER, &value);
                   },
                   Attribute("00 06", Hex("00 12 12 34 56 78"))},
        EncodeCase{"ByteCount",
                   [](auto& p) {
                     const DWORD value = 1047;
                     return Basic(p, ATTRIBUTE_BYTE_COUNT, &value);
                   },
                   Attribute("00 06", Hex("07 D6 00 00 04 17"))},
        EncodeCase{"PluginValue",
                   [](auto& p) {
                     const DWORD value = 0xA1B2C3D4;
                     return Basic(p, ATTRIBUTE_PLUGIN_VALUE, &value);
                   },
                   Attribute("00 06", Hex("00 C5 A1 B2 C3 D4"))},
        EncodeCase{"NumberNone",
                   [](auto& p) { return Basic(p, ATTRIBUTE_BYTE_COUNT, nullptr); }, ""},
        EncodeCase{"JobIdentifier",
                   [](auto& p) { return Basic(p, ATTRIBUTE_JOB_IDENTIFIER, CountingBlock().data()); },
                   Attribute("00 42", Hex("01 18 8B F2 3A 27 2E 1E 44 D4 B2 1F 57 32 97 D7 93 AB") +
                                          CountingBlock())},
        EncodeCase{"JobIdentifierNone",
                   [](auto& p) { return Basic(p, ATTRIBUTE_JOB_IDENTIFIER, nullptr); }, ""},
        EncodeCase{"DocumentNameCutTo255",
                   [](auto& p) {
                     return Basic(p, ATTRIBUTE_DOCUMENT_NAME, kX300.c_str(), &kDefaultCharacterSet);
                   },
                   Attribute("01 04", Hex("01 17 00 11 FF") + std::string(255, 'x'))},
        EncodeCase{"DocumentNameEmptyIsNotSent",
                   [](auto& p) { return Basic(p, ATTRIBUTE_DOCUMENT_NAME, ""); }, ""},
        EncodeCase{"UnknownKind", [](auto& p) { return Basic(p, 6, "text"); }, ""}),
    [](const ::testing::TestParamInfo<EncodeCase>& info) { return info.param.name; });

WORD Extended(AttributePacketBuffer& packet, DWORD kind, const void* first, const void* second) {
  return EncodeExtAttribute(packet, kind, first, second);
}

const WORD kUserNameEntry = USER_ENTRY_USER_NAME;
const WORD kOtherEntry = 2;

INSTANTIATE_TEST_SUITE_P(
    ExtendedKinds, EncodeTest,
    ::testing::Values(
        EncodeCase{"UserEntry",
                   [](auto& p) {
                     return Extended(p, EXT_ATTRIBUTE_USER_ENTRY, &kUserNameEntry, "Anonymous");
                   },
                   ExtAttribute("00 10", Hex("07 D9 13 01 09") + "Anonymous" + Hex("00 00"))},
        EncodeCase{
            "UserEntryCutTo16",
            [](auto& p) {
              return Extended(p, EXT_ATTRIBUTE_USER_ENTRY, &kUserNameEntry, "abcdefghijklmnopqrst");
            },
            ExtAttribute("00 17", Hex("07 D9 13 01 10") + "abcdefghijklmnop" + Hex("00 00"))},
        EncodeCase{
            "UserEntryWithoutText",
            [](auto& p) { return Extended(p, EXT_ATTRIBUTE_USER_ENTRY, &kUserNameEntry, nullptr); },
            ExtAttribute("00 07", Hex("07 D9 13 01 00 00 00"))},
        EncodeCase{
            "UserEntryOfAnotherType",
            [](auto& p) { return Extended(p, EXT_ATTRIBUTE_USER_ENTRY, &kOtherEntry, "bob"); }, ""},
        EncodeCase{"UserEntryWithoutType",
                   [](auto& p) { return Extended(p, EXT_ATTRIBUTE_USER_ENTRY, nullptr, "bob"); },
                   ""},
        EncodeCase{
            "LongTitleCutTo231",
            [](auto& p) { return Extended(p, EXT_ATTRIBUTE_LONG_TITLE, kX300.c_str(), nullptr); },
            ExtAttribute("00 EC", Hex("08 2B 00 11 E7") + std::string(231, 'x'))},
        EncodeCase{"LongTitleEmptyIsSent",
                   [](auto& p) { return Extended(p, EXT_ATTRIBUTE_LONG_TITLE, "", nullptr); },
                   ExtAttribute("00 05", Hex("08 2B 00 11 00"))},
        EncodeCase{"LongTitleWithCode",
                   [](auto& p) { return Extended(p, EXT_ATTRIBUTE_LONG_TITLE, "ab", &kCode3); },
                   ExtAttribute("00 07", Hex("08 2B 00 03 02 61 62"))},
        EncodeCase{"LongTitleNone",
                   [](auto& p) { return Extended(p, EXT_ATTRIBUTE_LONG_TITLE, nullptr, nullptr); },
                   ""},
        EncodeCase{"UnknownExtendedKind",
                   [](auto& p) { return Extended(p, 26, &kUserNameEntry, "bob"); }, ""}),
    [](const ::testing::TestParamInfo<EncodeCase>& info) { return info.param.name; });

TEST(EncodeAttributeTest, WritesTheOpcodeAlsoWhenNothingIsSent) {
  AttributePacketBuffer packet = {};
  EXPECT_EQ(EncodeAttribute(packet, ATTRIBUTE_JOB_IDENTIFIER, nullptr, nullptr), 0);
  EXPECT_EQ(packet[4], 0x00);
  EXPECT_EQ(packet[5], 0x12);
  EXPECT_EQ(EncodeExtAttribute(packet, EXT_ATTRIBUTE_LONG_TITLE, nullptr, nullptr), 0);
  EXPECT_EQ(packet[4], 0x00);
  EXPECT_EQ(packet[5], 0x15);
}

TEST(EncodeAttributeTest, KeepsTheTaggedHeader) {
  AttributePacketBuffer packet;
  InitPacketHeader(packet, 1, 0x01020304, 0x05060708);
  ASSERT_EQ(EncodeAttribute(packet, ATTRIBUTE_JOB_TITLE, "", nullptr), 25);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(packet), 25),
            Hex("CD CA 10 00 00 12 00 01 00 05 01 02 03 04 05 06 07 08 00 00 00 04 00 11 00"));
}

struct LimitCase {
  const char* name;
  DWORD kind;
  bool extended;
  std::size_t limit;
  std::size_t overhead;  // packet bytes besides the text
};

void PrintTo(const LimitCase& c, std::ostream* os) { *os << c.name; }

class TextLimitTest : public ::testing::TestWithParam<LimitCase> {};

// A text that fills its limit and has no terminator before an unreadable page: the encoder
// reads exactly the limit and nothing behind it.
TEST_P(TextLimitTest, ReadsNoTextBytePastTheLimit) {
  const LimitCase& c = GetParam();
  InaccessibleMemory memory;
  BYTE* text = memory.LastBytesBeforeTheHole(c.limit);
  std::memset(text, 'y', c.limit);
  AttributePacketBuffer packet;
  InitPacketHeader(packet, 0, 0, 0);
  const WORD size = c.extended
                        ? EncodeExtAttribute(packet, c.kind,
                                             c.kind == EXT_ATTRIBUTE_USER_ENTRY
                                                 ? static_cast<const void*>(&kUserNameEntry)
                                                 : text,
                                             c.kind == EXT_ATTRIBUTE_USER_ENTRY ? text : nullptr)
                        : EncodeAttribute(packet, c.kind, text, nullptr);
  EXPECT_EQ(size, c.limit + c.overhead);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, TextLimitTest,
    ::testing::Values(LimitCase{"JobTitle", ATTRIBUTE_JOB_TITLE, false, 32, 25},
                      LimitCase{"UserName", ATTRIBUTE_USER_NAME, false, 128, 25},
                      LimitCase{"AccountShort", ATTRIBUTE_ACCOUNT_SHORT, false, 40, 23},
                      LimitCase{"Account", ATTRIBUTE_ACCOUNT, false, 80, 25},
                      LimitCase{"AccountSecond", ATTRIBUTE_ACCOUNT_SECOND, false, 80, 25},
                      LimitCase{"DocumentName", ATTRIBUTE_DOCUMENT_NAME, false, 255, 25},
                      LimitCase{"UserEntry", EXT_ATTRIBUTE_USER_ENTRY, true, 16, 27},
                      LimitCase{"LongTitle", EXT_ATTRIBUTE_LONG_TITLE, true, 231, 25}),
    [](const ::testing::TestParamInfo<LimitCase>& info) { return info.param.name; });

}  // namespace
}  // namespace spoolhook::testing
