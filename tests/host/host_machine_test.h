// A fresh simulated machine for every test, on a root folder of its own, with helpers that
// look at the root from the host's side.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/host/host_platform.h"

namespace spoolhook::testing {

class HostMachineTest : public ::testing::Test {
 protected:
  HostMachineTest();
  ~HostMachineTest() override;

  // Starts a new machine on the same root with `config` (its root is replaced).
  void Restart(HostMachineConfig config);

  HostPlatform& machine() { return *machine_; }
  const std::filesystem::path& root() const { return root_; }
  std::filesystem::path Host(const std::string& relative) const { return root_ / relative; }

  void MakeFolder(const std::string& relative);
  void WriteHostFile(const std::string& relative, const std::string& bytes);
  std::string ReadHostFile(const std::string& relative) const;

  HANDLE Open(const std::u16string& name, DWORD access, DWORD share, DWORD disposition);

 private:
  std::filesystem::path root_;
  std::unique_ptr<HostPlatform> machine_;
};

}  // namespace spoolhook::testing
