#include "host/host_machine_test.h"

#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <system_error>

namespace spoolhook::testing {

HostMachineTest::HostMachineTest() {
  std::string pattern = (std::filesystem::temp_directory_path() / "spoolhook-host-XXXXXX").string();
  root_ = ::mkdtemp(pattern.data());
  Restart(HostMachineConfig{});
}

HostMachineTest::~HostMachineTest() {
  machine_.reset();
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

void HostMachineTest::Restart(HostMachineConfig config) {
  machine_.reset();
  config.root = root_;
  machine_ = std::make_unique<HostPlatform>(std::move(config));
}

void HostMachineTest::MakeFolder(const std::string& relative) {
  std::filesystem::create_directories(Host(relative));
}

void HostMachineTest::WriteHostFile(const std::string& relative, const std::string& bytes) {
  std::filesystem::create_directories(Host(relative).parent_path());
  std::ofstream(Host(relative), std::ios::binary) << bytes;
}

std::string HostMachineTest::ReadHostFile(const std::string& relative) const {
  std::ifstream file(Host(relative), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

HANDLE HostMachineTest::Open(const std::u16string& name, DWORD access, DWORD share,
                             DWORD disposition) {
  return machine().CreateFileW(name.c_str(), access, share, nullptr, disposition,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace spoolhook::testing
