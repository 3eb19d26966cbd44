#include "support/test_machine.h"

#include <atomic>
#include <filesystem>
#include <system_error>

#include "platform/platform.h"
#ifndef _WIN32
#include <unistd.h>

#include "platform/host/host_paths.h"
#include "platform/host/host_platform.h"
#endif

namespace spoolhook::testing {
namespace {

std::atomic<unsigned> machineCounter{0};

std::string UniqueName() {
#ifdef _WIN32
  const unsigned long pid = 0;
#else
  const unsigned long pid = static_cast<unsigned long>(::getpid());
#endif
  return "spoolhook-test-" + std::to_string(pid) + "-" + std::to_string(machineCounter++);
}

}  // namespace

#ifdef _WIN32
// Under Windows the tests use the real system below the simulated spooler; the test's folder
// lies in the system's temporary directory.
struct TestMachine::Base {
  Base() {
    char temp[260] = {};
    BuiltInPlatform().GetTempPathA(sizeof temp, temp);
    folder = std::string(temp) + UniqueName() + "\\";
    std::filesystem::create_directories(folder);
  }
  ~Base() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  Platform& platform() { return BuiltInPlatform(); }
  std::string folder;
};
#else
// On the host the tests get a simulated machine of their own under a fresh root folder.
struct TestMachine::Base {
  Base() : root(std::filesystem::temp_directory_path() / UniqueName()), host(Config(root)) {
    folder = "C:\\TEST\\";
    std::filesystem::create_directories(root / "C" / "TEST");
  }
  ~Base() {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
  }
  static HostMachineConfig Config(const std::filesystem::path& root) {
    HostMachineConfig config;
    config.root = root;
    return config;
  }
  Platform& platform() { return host; }
  std::filesystem::path root;
  HostPlatform host;
  std::string folder;
};
#endif

TestMachine::TestMachine(SimulatedSpoolerConfig spooler, DriverPlace driver)
    : base_(std::make_unique<Base>()) {
  if (driver == DriverPlace::kInFolder) spooler.driverPath = Wide(base_->folder) + u"ZEMT4.DLL";
  spooler_ = std::make_unique<SimulatedSpoolerPlatform>(base_->platform(), std::move(spooler));
  faults_ = std::make_unique<FaultInjectingPlatform>(*spooler_);
  folder_ = base_->folder;
  previous_ = SetPlatform(faults_.get());
}

TestMachine::~TestMachine() { SetPlatform(previous_); }

Platform& TestMachine::base() { return base_->platform(); }

bool TestMachine::FileExists(const std::string& path) {
  const std::u16string wide = Wide(path);
  return spooler_->GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string TestMachine::ReadFileBytes(const std::string& path) {
  HANDLE file = spooler_->CreateFileA(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char chunk[4096];
  DWORD read = 0;
  while (spooler_->ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) {
    bytes.append(chunk, read);
  }
  spooler_->CloseHandle(file);
  return bytes;
}

bool TestMachine::WriteFileBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = spooler_->CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok =
      spooler_->WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  spooler_->CloseHandle(file);
  return ok && written == bytes.size();
}

std::string TestMachine::NativePath(const std::string& path) {
#ifdef _WIN32
  return path;
#else
  WindowsPath current;
  current.volume = u"C:";
  WindowsPath parsed;
  if (ParseWindowsPath(Wide(path), current, parsed) != ERROR_SUCCESS) return {};
  return HostPathOf(base_->root, parsed).string();
#endif
}

long TestMachine::OpenHandleCount() {
#ifdef _WIN32
  return -1;
#else
  return static_cast<long>(base_->host.OpenHandleCount());
#endif
}

long TestMachine::HeapBlockCount() {
#ifdef _WIN32
  return -1;
#else
  return static_cast<long>(base_->host.HeapBlockCount());
#endif
}

std::u16string Wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::string Narrow(const std::u16string& ascii) {
  std::string narrow;
  for (char16_t unit : ascii) narrow.push_back(static_cast<char>(unit));
  return narrow;
}

}  // namespace spoolhook::testing
