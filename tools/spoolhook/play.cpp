#include "play.h"

#include <stdlib.h>  // mkdtemp

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "engine/exports.h"
#include "frame_player.h"
#include "platform/fault_injecting_platform.h"
#include "platform/host/code_page_1252.h"
#include "platform/host/host_paths.h"
#include "platform/host/host_platform.h"
#include "platform/simulated_spooler.h"
#include "play_log.h"
#include "record_stream.h"

namespace spoolhook::play {
namespace {

namespace fs = std::filesystem;

const EntryPoints kLinkedLibrary = {&DrvSplStartDoc, &DrvSplWritePrinter, &DrvSplEndDoc,
                                    &DrvSplClose,    &DrvSplStartPage,    &DrvSplEndPage,
                                    &DrvSplAbort};
constexpr std::u16string_view kLprPortsKey =
    u"System\\CurrentControlSet\\control\\Print\\Monitors\\LPR Port\\Ports\\";

int Stop(int status, const std::string& message) {
  std::fprintf(stderr, "spoolhook play: %s\n", message.c_str());
  return status;
}

struct FileCloser {
  void operator()(std::FILE* file) const {
    if (file != stdout) std::fclose(file);
  }
};
using OutputFile = std::unique_ptr<std::FILE, FileCloser>;

// The file at `path`, or `fallback` (which may be none) when no path is given.
bool OpenOutput(const std::optional<std::string>& path, std::FILE* fallback, OutputFile& file,
                std::string& error) {
  file.reset(path ? std::fopen(path->c_str(), "wb") : fallback);
  if (path && !file) error = "cannot create " + *path + ": " + std::strerror(errno);
  return !path || file;
}

// The folder that holds the simulated machine's file system: the one asked for, or a fresh
// temporary one that goes when the run ends.
class MachineRoot {
 public:
  MachineRoot() = default;
  MachineRoot(const MachineRoot&) = delete;
  MachineRoot& operator=(const MachineRoot&) = delete;
  ~MachineRoot() {
    std::error_code ignored;
    if (temporary_) fs::remove_all(path_, ignored);
  }

  bool Prepare(const std::optional<std::string>& given, std::string& error) {
    std::error_code failure;
    if (given) {
      path_ = *given;
      fs::create_directories(path_, failure);
    } else {
      std::string pattern = (fs::temp_directory_path(failure) / "spoolhook-play-XXXXXX").string();
      if (!failure && !::mkdtemp(pattern.data())) failure.assign(errno, std::generic_category());
      path_ = pattern;
      temporary_ = !failure;
    }
    if (failure)
      error = "cannot create the machine's root " + path_.string() + ": " + failure.message();
    return !failure;
  }

  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
  bool temporary_ = false;
};

HostMachineConfig MachineConfig(const PlayOptions& options, const fs::path& root) {
  HostMachineConfig config;
  config.root = root;
  config.tempPath = options.temp;
  config.account = options.account;
  config.computer = options.computer;
  config.frozenTime = options.time;
  config.osMajor = options.osMajor;
  config.osMinor = options.osMinor;
  config.freeClusters = options.diskFree;
  config.netapiAvailable = options.netapi;
  for (const std::u16string& port : options.lprPorts) {
    config.registryKeys.push_back(std::u16string(kLprPortsKey) + port);
  }
  return config;
}

SimulatedSpoolerConfig SpoolerConfig(const PlayOptions& options) {
  SimulatedSpoolerConfig config;
  config.driverPath = options.driverPath;
  config.driverInfoAvailable = options.driverInfo;
  config.jobId = options.jobId;
  config.jobUser = options.jobUser;
  config.jobMachine = options.jobMachine;
  config.jobYear = options.jobYear;
  config.jobInfoAvailable = options.jobInfo;
  config.portName = options.printerPort;
  return config;
}

// The temporary folder and the driver's folder exist on the machine, with the drive or
// share they lie on. A path that names nothing is left for the library to find missing.
bool CreateMachineFolders(const fs::path& root, const PlayOptions& options, std::string& error) {
  const std::size_t slash = options.driverPath.rfind(u'\\');
  const std::u16string driverFolder =
      slash == std::u16string::npos ? std::u16string() : options.driverPath.substr(0, slash + 1);
  // Relative paths are read against the machine's current directory, the root of C:.
  WindowsPath current;
  current.volume = u"C:";
  for (const std::u16string& folder : {AnsiToWide(options.temp), driverFolder}) {
    WindowsPath path;
    if (folder.empty() || ParseWindowsPath(folder, current, path) != ERROR_SUCCESS) continue;
    const fs::path host = HostPathOf(root, path);
    std::error_code failure;
    fs::create_directories(host, failure);
    if (failure) {
      error = "cannot create " + host.string() + ": " + failure.message();
      return false;
    }
  }
  return true;
}

// Installs a platform as the library's for as long as this object lives.
class InstalledPlatform {
 public:
  explicit InstalledPlatform(Platform& platform) : previous_(SetPlatform(&platform)) {}
  ~InstalledPlatform() { SetPlatform(previous_); }
  InstalledPlatform(const InstalledPlatform&) = delete;
  InstalledPlatform& operator=(const InstalledPlatform&) = delete;

 private:
  Platform* previous_;
};

// The job as the spooler plays it: start, the frames, end and close.
int PlayJob(Platform& platform, HANDLE printer, DWORD jobId, const std::vector<Frame>& frames,
            PlayLog& log) {
  InstalledPlatform installed(platform);
  HANDLE job = DrvSplStartDoc(printer, jobId);
  if (!job) return Stop(kExitNoJob, "DrvSplStartDoc returned no job");
  PlayFrames(kLinkedLibrary, job, frames, log);
  return kExitDone;
}

}  // namespace

int RunPlay(const PlayOptions& options) {
  std::string stream;
  std::string error;
  if (!ReadStreamInput(options.stream, stream, error)) return Stop(kExitUsage, error);
  std::vector<Frame> frames;
  StreamFault fault;
  if (!ParseRecordStream(stream, frames, fault)) {
    return Stop(kExitUsage, "malformed stream at byte offset " + std::to_string(fault.offset) +
                                ": " + fault.reason);
  }

  OutputFile port;
  OutputFile log;
  if (!OpenOutput(options.port, stdout, port, error) ||
      !OpenOutput(options.log, nullptr, log, error)) {
    return Stop(kExitUsage, error);
  }
  MachineRoot root;
  if (!root.Prepare(options.root, error)) return Stop(kExitFailed, error);

  PlayLog playLog(log.get());
  bool portWritten = true;
  if (!CreateMachineFolders(root.path(), options, error)) return Stop(kExitFailed, error);
  HostPlatform host(MachineConfig(options, root.path()));
  host.OnPopup([&playLog](const Popup& popup) { playLog.Popup(popup.to, popup.text); });
  // Each write is flushed at once, so that the port's bytes and the log keep their order
  // when both go to a terminal.
  SimulatedSpoolerPlatform spooler(
      host, SpoolerConfig(options),
      [&portWritten, file = port.get()](const void* bytes, DWORD count) {
        portWritten =
            std::fwrite(bytes, 1, count, file) == count && std::fflush(file) == 0 && portWritten;
      });
  FaultInjectingPlatform faults(spooler);
  for (const CallRule& rule : options.fails) faults.FailCall(rule.call, rule.n);
  for (const CallRule& rule : options.shorts) faults.ShortenCall(rule.call, rule.n);

  const int status = PlayJob(faults, spooler.printer(), options.jobId, frames, playLog);
  if (!portWritten) return Stop(kExitFailed, "the port's bytes could not all be written");
  if (!playLog.ok()) return Stop(kExitFailed, "the log could not all be written");
  return status;
}

}  // namespace spoolhook::play
