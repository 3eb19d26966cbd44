// Records 0x1030 to 0x1033: the user text, the PJL name lines and the zero bytes for ports
// that are not LPR ports, as exact bytes.
#include <gtest/gtest.h>

#include <cstring>

#include "jobinfo/job_info_fixture.h"

namespace spoolhook::testing {
namespace {

class PjlRecordTest : public JobInfoTest {
 protected:
  // A record that succeeds and reports `expected` written.
  void Expect(std::uint32_t id, DWORD expected) {
    const Written result = Write(Record(id));
    EXPECT_TRUE(result.result);
    EXPECT_EQ(result.written, expected);
  }
};

TEST_F(PjlRecordTest, TheUserTextCarriesTheUserName) {
  Settings({.userName = "bob"});
  Expect(0x1030, 11);
  EXPECT_EQ(Port(), Hex("20 55 53 45 52 3D 22 62 6F 62 22"));
}

TEST_F(PjlRecordTest, NamesGoOutUnescaped) {
  Settings({.userName = "a\"b"});
  std::strcpy(driver().AccountText, "Dept \"7\"");
  Expect(0x1030, 11);
  Expect(0x1032, 28);
  Expect(0x1033, 28);
  EXPECT_EQ(Port(), std::string(" USER=\"a\"b\"") + "@PJL JOB NAME = \"Dept \"7\"\"\r\n" +
                        "@PJL EOJ NAME = \"Dept \"7\"\"\r\n");
}

TEST_F(PjlRecordTest, TheUserTextTakesAFullUserNameAndAnEmptyOne) {
  const std::string name32 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
  Settings({.userName = name32});
  Expect(0x1030, 40);
  driver().JobUserName[0] = '\0';
  Expect(0x1030, 8);
  EXPECT_EQ(Port(), " USER=\"" + name32 + "\"" + " USER=\"\"");
}

TEST_F(PjlRecordTest, WithoutAPluginTheNameLinesAreEmpty) {
  Expect(0x1032, 20);
  Expect(0x1033, 20);
  EXPECT_EQ(Port(), "@PJL JOB NAME = \"\"\r\n@PJL EOJ NAME = \"\"\r\n");
}

// The plug-in's text may fill all 80 bytes of its field; the number behind it is no part of
// the name.
TEST_F(PjlRecordTest, AFullAccountTextStaysWithinItsField) {
  std::memset(driver().AccountText, 'a', sizeof driver().AccountText);
  driver().AccountNumber = 0x41414141;
  Expect(0x1032, 100);
  EXPECT_EQ(Port(), "@PJL JOB NAME = \"" + std::string(80, 'a') + "\"\r\n");
}

TEST_F(PjlRecordTest, LinesAndUserTextAreSpooledAndTheZeroBytesAreNot) {
  scripted().registryKeys.emplace();
  Settings({.userName = "bob"});
  SpoolIntoFile();
  Expect(0x1032, 20);
  Expect(0x1030, 11);
  Expect(0x1031, 8);
  EXPECT_EQ(SpoolBytes(), "@PJL JOB NAME = \"\"\r\n USER=\"bob\"");
  EXPECT_EQ(Port(), std::string(8, '\0'));
}

TEST_F(PjlRecordTest, AnLprPortGetsNoZeroBytes) {
  SimulatedSpoolerConfig config;
  config.portName = u"lprhost:queue";
  StartJob(config);
  scripted().registryKeys = std::vector<std::u16string>{
      u"System\\CurrentControlSet\\control\\Print\\Monitors\\LPR Port\\Ports\\lprhost:queue"};
  Expect(0x1031, 8);
  EXPECT_EQ(Port(), "");
  EXPECT_EQ(scripted().keysOpen, 0);
}

TEST_F(PjlRecordTest, CancelledOutputSwallowsEverything) {
  scripted().registryKeys.emplace();
  CancelJobOutput(job());
  Expect(0x1030, 8);
  Expect(0x1031, 8);
  Expect(0x1032, 20);
  EXPECT_EQ(Port(), "");
}

TEST_F(PjlRecordTest, ARecordShorterThanItsHeadFails) {
  for (std::uint32_t id = 0x1030; id <= 0x1033; ++id) {
    std::string bytes = Record(id).bytes().substr(0, 6);
    DWORD written = 5;
    EXPECT_FALSE(DrvSplWritePrinter(job(), bytes.data(), 6, &written));
    EXPECT_EQ(written, 0u);
  }
  EXPECT_EQ(Port(), "");
}

}  // namespace
}  // namespace spoolhook::testing
