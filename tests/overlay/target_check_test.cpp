// Subcommand 43: the free space of the new overlay file's drive or share, and the probes of
// the file itself.
#include <gtest/gtest.h>

#include "overlay/file_probes.h"
#include "overlay/target_space.h"
#include "overlay_test_support.h"
#include "platform/forwarding_platform.h"
#include "support/job_fixture.h"

namespace spoolhook::testing {
namespace {

// Answers the free-space calls with set values and records what they were asked.
class DiskSpaceProbe : public ForwardingPlatform {
 public:
  DiskSpaceProbe() : ForwardingPlatform(Os()), previous_(SetPlatform(this)) {}
  ~DiskSpaceProbe() override { SetPlatform(previous_); }

  BOOL GetDiskFreeSpaceW(const char16_t* root, DWORD* sectorsPerCluster, DWORD* bytesPerSector,
                         DWORD* freeClusters, DWORD* totalClusters) override {
    asked.push_back(u"W " + std::u16string(root));
    *sectorsPerCluster = drive[0];
    *bytesPerSector = drive[1];
    *freeClusters = drive[2];
    *totalClusters = 1000;
    return succeed;
  }
  BOOL GetDiskFreeSpaceExW(const char16_t* directory, ULONGLONG* freeToCaller,
                           ULONGLONG* totalBytes, ULONGLONG* totalFreeBytes) override {
    asked.push_back(u"Ex " + std::u16string(directory));
    *freeToCaller = share[0];
    *totalBytes = share[1];
    *totalFreeBytes = share[2];
    return succeed;
  }

  std::vector<std::u16string> asked;
  BOOL succeed = TRUE;
  DWORD drive[3] = {8, 512, 1};       // sectors a cluster, bytes a sector, free clusters
  ULONGLONG share[3] = {1, 4096, 1};  // free to the caller, total, total free

 private:
  Platform* previous_;
};

class TargetSpaceTest : public JobTest {
 protected:
  DiskSpaceProbe disk_;
};

TEST_F(TargetSpaceTest, AsksTheDriveOrTheShareOfThePath) {
  const struct {
    const char* path;
    const char16_t* asked;
  } cases[] = {
      {"C:\\OVL\\FORM.OVL", u"W C:\\"},
      {"d:FORM.OVL", u"W d:\\"},
      {"Z:", u"W Z:\\"},
      {"\\\\SRV\\FORMS\\DIR\\FORM.OVL", u"Ex \\\\SRV\\FORMS"},
      {"\\\\SRV\\FORMS\\", u"Ex \\\\SRV\\FORMS"},
      {"\\\\SRV\\FORMS", u"Ex \\\\SRV\\FORMS"},
  };
  for (const auto& c : cases) {
    disk_.asked.clear();
    job()->ErrorLatched = 0;
    EXPECT_TRUE(CheckTargetFreeSpace(job(), c.path)) << c.path;
    EXPECT_EQ(job()->JobError, 0u) << c.path;
    EXPECT_EQ(job()->ErrorLatched, 0u) << c.path;
    EXPECT_EQ(disk_.asked, std::vector<std::u16string>{c.asked}) << c.path;
  }
}

TEST_F(TargetSpaceTest, PathsThatNameNoDriveOrShareAreUnusable) {
  const std::string tooLong = "\\\\SRV\\" + std::string(250, 'S') + "\\FORM.OVL";  // 256 bytes
  const char* paths[] = {
      nullptr,       "",     "FORM.OVL", "OVL\\FORM.OVL", "\\OVL\\FORM.OVL",       "1:\\FORM.OVL",
      ":\\FORM.OVL", "\\\\", "\\\\SRV",  "\\\\SRV\\",     "\\\\\\FORMS\\FORM.OVL", tooLong.c_str()};
  for (const char* path : paths) {
    job()->ErrorLatched = 0;
    EXPECT_FALSE(CheckTargetFreeSpace(job(), path)) << (path ? path : "none");
    EXPECT_EQ(job()->JobError, 19u) << (path ? path : "none");
    EXPECT_EQ(job()->ErrorLatched, 1u) << (path ? path : "none");
  }
  EXPECT_TRUE(disk_.asked.empty());
  // 255 bytes of share root are still asked.
  EXPECT_TRUE(CheckTargetFreeSpace(job(), ("\\\\SRV\\" + std::string(249, 'S')).c_str()));
}

TEST_F(TargetSpaceTest, AnyFreeSpaceAtAllPassesNoneFails) {
  const struct {
    const char* name;
    DWORD drive[3];
    ULONGLONG share[3];
    DWORD driveCode;
    DWORD shareCode;
  } cases[] = {
      {"one cluster, one byte", {8, 512, 1}, {1, 1, 1}, 0, 0},
      {"no sectors a cluster", {0, 512, 9}, {1, 0, 1}, 17, 0},
      {"no bytes a sector", {8, 0, 9}, {0, 4096, 1}, 17, 17},
      {"nothing free", {8, 512, 0}, {1, 4096, 0}, 17, 17},
  };
  for (const auto& c : cases) {
    std::copy(std::begin(c.drive), std::end(c.drive), disk_.drive);
    std::copy(std::begin(c.share), std::end(c.share), disk_.share);
    EXPECT_EQ(CheckTargetFreeSpace(job(), "C:\\FORM.OVL"), c.driveCode ? FALSE : TRUE) << c.name;
    EXPECT_EQ(job()->JobError, c.driveCode) << c.name;
    EXPECT_EQ(CheckTargetFreeSpace(job(), "\\\\SRV\\FORMS\\FORM.OVL"), c.shareCode ? FALSE : TRUE)
        << c.name;
    EXPECT_EQ(job()->JobError, c.shareCode) << c.name;
  }
  disk_.succeed = FALSE;
  EXPECT_FALSE(CheckTargetFreeSpace(job(), "C:\\FORM.OVL"));
  EXPECT_EQ(job()->JobError, 16u);
  EXPECT_FALSE(CheckTargetFreeSpace(job(), "\\\\SRV\\FORMS\\FORM.OVL"));
  EXPECT_EQ(job()->JobError, 16u);
}

TEST_F(TargetSpaceTest, ANetworkTargetWithoutSpaceEndsTheJob) {
  disk_.share[2] = 0;
  ASSERT_TRUE(Write(StringRecord(2, "\\\\SRV\\FORMS\\DIR\\FORM.OVL")).result);
  const Written result = Write(OverlayRecord(43));
  EXPECT_FALSE(result.result);
  EXPECT_EQ(result.written, 0u);
  EXPECT_EQ(job()->JobError, 17u);
  EXPECT_TRUE(IsJobOutputCancelled(job()));
  EXPECT_EQ(disk_.asked, std::vector<std::u16string>{u"Ex \\\\SRV\\FORMS"});
}

// The target check on the machine's own disk.
class TargetCheckTest : public JobTest {
 protected:
  void SetUp() override {
    JobTest::SetUp();
    ASSERT_TRUE(Write(StringRecord(2, Target())).result);
  }
  std::string Target() const { return machine_.Folder() + "FORM.OVL"; }
};

TEST_F(TargetCheckTest, AFreshTargetIsTriedAndLeftAsItWas) {
  const Written result = Write(OverlayRecord(43));
  EXPECT_TRUE(result.result);
  EXPECT_EQ(result.written, 20u);
  EXPECT_EQ(job()->JobError, 0u);
  EXPECT_EQ(job()->ErrorLatched, 0u);
  EXPECT_FALSE(machine_.FileExists(Target()));
}

TEST_F(TargetCheckTest, AnExistingFileIsAWarningThatLatches) {
  ASSERT_TRUE(machine_.WriteFileBytes(Target(), "old form"));
  EXPECT_TRUE(Write(OverlayRecord(43)).result);
  EXPECT_EQ(job()->JobError, 18u);
  EXPECT_EQ(job()->ErrorLatched, 1u);
  EXPECT_FALSE(IsJobOutputCancelled(job()));
  EXPECT_EQ(machine_.ReadFileBytes(Target()), "old form");
  // A second check fails at once, without a code of its own.
  const Written again = Write(OverlayRecord(43));
  EXPECT_FALSE(again.result);
  EXPECT_EQ(job()->JobError, 0u);
  EXPECT_TRUE(IsJobOutputCancelled(job()));
}

TEST_F(TargetCheckTest, AFileThatCannotBeMadeEndsTheJob) {
  ASSERT_TRUE(Write(StringRecord(2, machine_.Folder() + "NOFOLDER\\FORM.OVL")).result);
  EXPECT_FALSE(Write(OverlayRecord(43)).result);
  EXPECT_EQ(job()->JobError, 19u);
  EXPECT_EQ(job()->ErrorLatched, 1u);
  EXPECT_TRUE(IsJobOutputCancelled(job()));
}

class FileProbesTest : public ::testing::Test {
 protected:
  std::string Path(const char* name) const { return machine_.Folder() + name; }
  TestMachine machine_;
};

TEST_F(FileProbesTest, FileIsAbsent) {
  ASSERT_TRUE(machine_.WriteFileBytes(Path("THERE"), "x"));
  EXPECT_TRUE(FileIsAbsent(nullptr));
  EXPECT_TRUE(FileIsAbsent(""));
  EXPECT_TRUE(FileIsAbsent(Path("MISSING").c_str()));
  EXPECT_FALSE(FileIsAbsent(Path("THERE").c_str()));
  EXPECT_TRUE(NobodyHolds(machine_, Path("THERE")));
}

TEST_F(FileProbesTest, TryCreateFileLeavesNoFileBehind) {
  ASSERT_TRUE(machine_.WriteFileBytes(Path("THERE"), "keep"));
  EXPECT_TRUE(TryCreateFile(Path("NEW").c_str()));
  EXPECT_FALSE(machine_.FileExists(Path("NEW")));
  EXPECT_FALSE(TryCreateFile(Path("THERE").c_str()));
  EXPECT_EQ(machine_.ReadFileBytes(Path("THERE")), "keep");
  EXPECT_FALSE(TryCreateFile(Path("NOFOLDER\\NEW").c_str()));
  EXPECT_FALSE(TryCreateFile(nullptr));
  EXPECT_FALSE(TryCreateFile(""));
}

TEST_F(FileProbesTest, DeleteIfPresent) {
  ASSERT_TRUE(machine_.WriteFileBytes(Path("THERE"), "x"));
  EXPECT_TRUE(DeleteIfPresent(Path("THERE").c_str()));
  EXPECT_FALSE(machine_.FileExists(Path("THERE")));
  EXPECT_TRUE(DeleteIfPresent(Path("THERE").c_str()));
  EXPECT_TRUE(DeleteIfPresent(nullptr));
}

}  // namespace
}  // namespace spoolhook::testing
