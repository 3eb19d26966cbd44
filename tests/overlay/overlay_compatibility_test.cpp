// Record 0x1050 subcommand 13: an overlay file's header against the job's check fields, the
// first fault deciding the status word, and the page warning only when nothing else failed.
#include "overlay/overlay_compatibility.h"

#include <gtest/gtest.h>

#include "overlay_test_support.h"
#include "support/job_fixture.h"

namespace spoolhook::testing {
namespace {

constexpr DWORD kUntouched = 0xAA;

// The header fields the check compares, as the creating job wrote them.
struct FormSettings {
  BYTE creatorKind = 3;
  BYTE colourMode = 2;
  WORD paperSize = 9;
  BYTE orientation = 1;
  WORD resolution = 600;
  WORD geometry[4] = {4960, 7016, 100, 120};
  BYTE modeMark = 0;
  std::string signature = std::string("Mirak\0", 6);
};

void Put16(std::string& file, std::size_t offset, WORD value) {
  file[offset] = static_cast<char>(value & 0xFF);
  file[offset + 1] = static_cast<char>(value >> 8);
}

std::string FormFile(const FormSettings& form) {
  std::string file = OverlayFile("FORM", form.signature);
  file[61] = static_cast<char>(form.creatorKind);
  file[62] = static_cast<char>(form.colourMode);
  Put16(file, 64, form.paperSize);
  file[68] = static_cast<char>(form.orientation);
  Put16(file, 71, form.resolution);
  for (int i = 0; i < 4; ++i) Put16(file, 85 + 2 * i, form.geometry[i]);
  file[379] = static_cast<char>(form.modeMark);
  return file;
}

// The job's check fields that match FormSettings{} exactly, not as a compatible overlay.
OverlayCheck MatchingCheck(std::int16_t slot) {
  OverlayCheck check;
  check.orientation = 1;
  check.resolution = 600;
  check.compatibility = 1;
  check.colourMode = 2;
  check.paperSize = 9;
  check.slot = slot;
  const WORD geometry[4] = {4960, 7016, 100, 120};
  for (int i = 0; i < 4; ++i) check.geometry[i] = geometry[i];
  return check;
}

class OverlayCompatibilityTest : public JobTest {
 protected:
  std::string Path(int slot) const { return machine_.Folder() + "FORM" + std::to_string(slot); }
  void Fill(int slot, const std::string& bytes) {
    ASSERT_TRUE(machine_.WriteFileBytes(Path(slot), bytes));
    ASSERT_TRUE(Write(StringRecord(3, Path(slot), slot)).result);
  }
  void PresetStatus() {
    for (int slot = 0; slot < kOverlaySlots; ++slot) SetOverlayStatus(job(), slot, kUntouched);
  }
  // Checks `slot`; the record always reports its 46 bytes.
  BOOL Check(const OverlayCheck& check) {
    const Written result = Write(OverlayCheckRecord(check));
    EXPECT_EQ(result.written, 46u);
    return result.result;
  }
};

struct CompatibilityCase {
  const char* name;
  void (*form)(FormSettings&);
  void (*check)(OverlayCheck&);
  DWORD status;
};

const CompatibilityCase kCases[] = {
    {"everything matches", [](FormSettings&) {}, [](OverlayCheck&) {}, 0},
    {"a wrong signature comes first",
     [](FormSettings& f) {
       f.signature = std::string("Mirak!", 6);
       f.creatorKind = 10;
     },
     [](OverlayCheck&) {}, 1},
    {"creator kind 10 before the resolution", [](FormSettings& f) { f.creatorKind = 10; },
     [](OverlayCheck& c) { c.resolution = 300; }, 2},
    {"the mode mark of a compatible use before the resolution",
     [](FormSettings& f) { f.modeMark = 1; },
     [](OverlayCheck& c) {
       c.compatibility = 0;
       c.resolution = 300;
     },
     3},
    {"the mode mark does not matter otherwise", [](FormSettings& f) { f.modeMark = 1; },
     [](OverlayCheck&) {}, 0},
    {"the resolution before the colour", [](FormSettings&) {},
     [](OverlayCheck& c) {
       c.resolution = 1200;
       c.colourMode = 1;
     },
     4},
    {"a negative resolution never matches", [](FormSettings& f) { f.resolution = 0xFFFF; },
     [](OverlayCheck& c) { c.resolution = -1; }, 4},
    {"the resolution before scaling", [](FormSettings&) {},
     [](OverlayCheck& c) {
       c.resolution = 300;
       c.compatibility = 0;
       c.scalingOrLayout = 1;
     },
     4},
    {"the colour before scaling", [](FormSettings&) {},
     [](OverlayCheck& c) {
       c.colourMode = 1;
       c.compatibility = 0;
       c.scalingOrLayout = 1;
     },
     5},
    {"scaling in a compatible use before the page", [](FormSettings&) {},
     [](OverlayCheck& c) {
       c.compatibility = 0;
       c.scalingOrLayout = 2;
       c.paperSize = 8;
     },
     6},
    {"scaling otherwise does not matter", [](FormSettings&) {},
     [](OverlayCheck& c) { c.scalingOrLayout = 1; }, 0},
    {"the paper size", [](FormSettings&) {}, [](OverlayCheck& c) { c.paperSize = 8; }, 0x10000},
    {"the orientation", [](FormSettings&) {}, [](OverlayCheck& c) { c.orientation = 2; }, 0x10000},
    {"paper size 260 is 43", [](FormSettings& f) { f.paperSize = 260; },
     [](OverlayCheck& c) { c.paperSize = 43; }, 0},
    {"paper size 263 is 71", [](FormSettings& f) { f.paperSize = 263; },
     [](OverlayCheck& c) { c.paperSize = 71; }, 0},
    {"paper size 261 is 91", [](FormSettings& f) { f.paperSize = 261; },
     [](OverlayCheck& c) { c.paperSize = 91; }, 0},
    {"paper size 264 is 82", [](FormSettings& f) { f.paperSize = 264; },
     [](OverlayCheck& c) { c.paperSize = 82; }, 0},
    {"a translated code is not itself", [](FormSettings& f) { f.paperSize = 260; },
     [](OverlayCheck& c) { c.paperSize = 260; }, 0x10000},
    {"geometry 12 more passes", [](FormSettings&) {}, [](OverlayCheck& c) { c.geometry[0] = 4972; },
     0},
    {"geometry 12 less passes", [](FormSettings&) {}, [](OverlayCheck& c) { c.geometry[2] = 88; },
     0},
    {"geometry 13 more warns", [](FormSettings&) {}, [](OverlayCheck& c) { c.geometry[1] = 7029; },
     0x10000},
    {"geometry 13 less warns, the last value too", [](FormSettings&) {},
     [](OverlayCheck& c) { c.geometry[3] = 107; }, 0x10000},
    {"geometry values are unsigned", [](FormSettings& f) { f.geometry[0] = 0xFFFF; },
     [](OverlayCheck& c) { c.geometry[0] = 0; }, 0x10000},
};

TEST_F(OverlayCompatibilityTest, TheFirstFaultDecidesTheStatus) {
  for (const CompatibilityCase& c : kCases) {
    FormSettings form;
    c.form(form);
    OverlayCheck check = MatchingCheck(3);
    c.check(check);
    PresetStatus();
    Fill(3, FormFile(form));
    EXPECT_TRUE(Check(check)) << c.name;
    EXPECT_EQ(GetOverlayStatus(job(), 3), c.status) << c.name;
    EXPECT_EQ(GetOverlayStatus(job(), 2), kUntouched) << c.name;
    EXPECT_EQ(GetOverlayStatus(job(), 4), kUntouched) << c.name;
    EXPECT_TRUE(NobodyHolds(machine_, Path(3))) << c.name;
  }
  EXPECT_FALSE(IsJobOutputCancelled(job()));
  EXPECT_EQ(machine_.PortBytes(), "");
}

TEST_F(OverlayCompatibilityTest, AFormThatCannotBeReadIsStatusSeven) {
  ASSERT_TRUE(Write(StringRecord(3, Path(1), 1)).result);  // no such file
  Fill(2, FormFile({}).substr(0, 386));
  for (std::int16_t slot : {0, 1, 2}) {
    SetOverlayStatus(job(), slot, 0x10000);
    EXPECT_TRUE(Check(MatchingCheck(slot))) << slot;
    EXPECT_EQ(GetOverlayStatus(job(), slot), 7u) << slot;
  }
  EXPECT_FALSE(IsJobOutputCancelled(job()));
}

TEST_F(OverlayCompatibilityTest, ALaterCheckReplacesTheStatus) {
  Fill(0, FormFile({}));
  OverlayCheck differing = MatchingCheck(0);
  differing.colourMode = 7;
  EXPECT_TRUE(Check(differing));
  EXPECT_EQ(GetOverlayStatus(job(), 0), 5u);
  EXPECT_TRUE(Check(MatchingCheck(0)));
  EXPECT_EQ(GetOverlayStatus(job(), 0), 0u);
}

TEST_F(OverlayCompatibilityTest, ASlotOutsideTheTableIsRefusedTouchingNoStatus) {
  Fill(0, FormFile({}));
  PresetStatus();
  for (std::int16_t slot : {8, -1, 0x7FFF}) {
    EXPECT_FALSE(Check(MatchingCheck(slot))) << slot;
  }
  for (int slot = 0; slot < kOverlaySlots; ++slot) {
    EXPECT_EQ(GetOverlayStatus(job(), slot), kUntouched) << slot;
  }
  EXPECT_FALSE(IsJobOutputCancelled(job()));
}

}  // namespace
}  // namespace spoolhook::testing
