// Pop-ups through Windows' own network library, with nothing standing in for it: a failed
// spool start loads "NETAPI32.Dll", finds NetMessageBufferSend, sends the message and unloads
// the library again, whatever the send reports on this machine.
#include <gtest/gtest.h>

#include <string>

#include "platform/forwarding_platform.h"
#include "support/job_fixture.h"

namespace spoolhook::testing {
namespace {

// Watches the library's module calls for the network library on their way to Windows.
class NetworkLibraryWatch : public ForwardingPlatform {
 public:
  NetworkLibraryWatch() : ForwardingPlatform(Os()), previous_(SetPlatform(this)) {}
  ~NetworkLibraryWatch() override { SetPlatform(previous_); }

  HMODULE LoadLibraryW(const char16_t* name) override {
    HMODULE module = inner().LoadLibraryW(name);
    if (name && std::u16string(name) == u"NETAPI32.Dll" && module) {
      ++loads;
      library = module;
    }
    return module;
  }
  FARPROC GetProcAddress(HMODULE module, const char* name) override {
    FARPROC address = inner().GetProcAddress(module, name);
    if (module == library && std::string(name) == "NetMessageBufferSend" && address) ++found;
    return address;
  }
  BOOL FreeLibrary(HMODULE module) override {
    if (module == library) ++frees;
    return inner().FreeLibrary(module);
  }

  int loads = 0;
  int found = 0;
  int frees = 0;
  HMODULE library = nullptr;

 private:
  Platform* previous_;
};

using RealNetworkLibraryTest = JobTest;

TEST_F(RealNetworkLibraryTest, AFailedSpoolStartSendsItsPopupThroughTheSystemLibrary) {
  NetworkLibraryWatch watch;
  // The spool file cannot be opened once its name is made: error 19, which has a message.
  machine_.faults().FailCall("CreateFileA");
  const Written result = Write(SpoolRecord(100));
  EXPECT_FALSE(result.result);
  EXPECT_EQ(result.written, 0u);
  EXPECT_EQ(job()->JobError, 19u);
  EXPECT_EQ(watch.loads, 1);
  EXPECT_EQ(watch.found, 1);
  EXPECT_EQ(watch.frees, 1);
  // The job goes on, its output dropped, with no second pop-up for the same failure.
  ASSERT_TRUE(Write(RawDataRecord("dropped")).result);
  EXPECT_EQ(watch.loads, 1);
  EXPECT_EQ(machine_.PortBytes(), "");
}

}  // namespace
}  // namespace spoolhook::testing
