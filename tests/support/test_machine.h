// The machine a unit test runs on: the platform the tests were built for (the simulated
// Windows machine on the host, the real Win32 API under Windows) behind a simulated spooler
// and a fault injector, installed as the library's platform for the test's lifetime.
#pragma once

#include <memory>
#include <string>

#include "platform/fault_injecting_platform.h"
#include "platform/simulated_spooler.h"

namespace spoolhook::testing {

class TestMachine {
 public:
  // Where the driver's main file lies: as the spooler configuration says, or in the test's
  // own folder (the driver directory is then Folder() without its last backslash), for
  // tests that put files into the driver directory on every platform.
  enum class DriverPlace { kAsConfigured, kInFolder };

  explicit TestMachine(SimulatedSpoolerConfig spooler = {},
                       DriverPlace driver = DriverPlace::kAsConfigured);
  ~TestMachine();

  TestMachine(const TestMachine&) = delete;
  TestMachine& operator=(const TestMachine&) = delete;

  // The platform below the spooler and the fault injector.
  Platform& base();
  SimulatedSpoolerPlatform& spooler() { return *spooler_; }
  FaultInjectingPlatform& faults() { return *faults_; }
  HANDLE printer() { return spooler_->printer(); }
  std::string PortBytes() const { return spooler_->PortBytes(); }

  // A folder of the test's own, as a Windows path ending in a backslash; it exists and is
  // removed with the machine.
  const std::string& Folder() const { return folder_; }
  // Files by Windows path, through the platform below the fault injector.
  bool FileExists(const std::string& path);
  std::string ReadFileBytes(const std::string& path);
  bool WriteFileBytes(const std::string& path, const std::string& bytes);
  // The path under which the test program itself, outside the platform layer, reaches the
  // machine's file at the Windows path `path`: the same path under Windows, the folder of the
  // simulated machine on the host.
  std::string NativePath(const std::string& path);

  // Handles and heap blocks that the platform still holds, where it can tell (-1 where it
  // cannot); a test of a finished job expects the count it saw before the job.
  long OpenHandleCount();
  long HeapBlockCount();

 private:
  struct Base;
  std::unique_ptr<Base> base_;
  std::unique_ptr<SimulatedSpoolerPlatform> spooler_;
  std::unique_ptr<FaultInjectingPlatform> faults_;
  Platform* previous_ = nullptr;
  std::string folder_;
};

// UTF-16 and ANSI conversions of ASCII texts for test expectations.
std::u16string Wide(const std::string& ascii);
std::string Narrow(const std::u16string& ascii);

}  // namespace spoolhook::testing
