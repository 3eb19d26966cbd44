// The machine the library runs on when nothing else is installed: a default simulated
// machine whose file system lives in the host's temporary folder.
#include <system_error>

#include "platform/host/host_platform.h"

namespace spoolhook {
namespace {

HostMachineConfig BuiltInConfig() {
  std::error_code error;
  std::filesystem::path temp = std::filesystem::temp_directory_path(error);
  if (error) temp = "/tmp";
  HostMachineConfig config;
  config.root = temp / "spoolhook-machine";
  return config;
}

}  // namespace

Platform& BuiltInPlatform() {
  static HostPlatform machine(BuiltInConfig());
  return machine;
}

}  // namespace spoolhook
