// The sample plug-in itself, where other checks rely on its answers: the interface it offers
// only for its identifier, and its account text cut to 79 bytes.
#include "accounting/accounting_fixture.h"

namespace spoolhook::testing {
namespace {

using GetInterfaceFn = const void*(WINAPI*)(const char* interfaceId);

TEST_F(AccountingTest, TheSampleOffersItsInterfaceOnlyForItsIdentifier) {
  InstallPlugin();
  Platform& os = machine_.base();
  HMODULE module = os.LoadLibraryW(Wide(machine_.Folder() + "KVESDRV.DLL").c_str());
  ASSERT_NE(module, nullptr);
  const auto getInterface =
      reinterpret_cast<GetInterfaceFn>(os.GetProcAddress(module, "KvGetInterface"));
  ASSERT_NE(getInterface, nullptr);
  EXPECT_NE(getInterface("4b16748b-d289-419d-9d5d-47a2a348567f"), nullptr);
  const char* const others[] = {"", "4B16748B-D289-419D-9D5D-47A2A348567F",
                                "4b16748b-d289-419d-9d5d-47a2a348567",
                                "4b16748b-d289-419d-9d5d-47a2a348567f0"};
  for (const char* other : others) EXPECT_EQ(getInterface(other), nullptr) << other;
  os.FreeLibrary(module);
}

TEST_F(AccountingTest, TheSamplesAccountTextIsCutTo79Bytes) {
  InstallPlugin();
  const std::string text100(100, 'T');
  SetEnvironment("ACCOUNTING_SAMPLE_TEXT", text100);
  ASSERT_TRUE(Write(JobStartRecord()).result);
  EXPECT_EQ(std::string(driver().AccountText, sizeof driver().AccountText),
            std::string(79, 'T') + '\0');
}

}  // namespace
}  // namespace spoolhook::testing
