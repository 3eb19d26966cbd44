// Plays arbitrary record streams through one job each on the simulated machine. The input
// is a sequence of records, each a u16 length followed by that many bytes (the last one takes
// what is left). Engine records are dispatched without the exception guard, so that the
// sanitizers see any fault, and are followed by the notification step as in the library;
// every job must give back each block and handle it took.
//
// Each input runs on a fresh machine whose files are those of the setup alone, so that an
// input found to fail fails again on its own: the driver directory holds the sample
// accounting plug-in, C:\FORMS a few overlay files, C:\FUZZ and the share \\SERVER\SHARE
// are empty folders.
#include <dlfcn.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "engine/exports.h"
#include "engine/record_dispatch.h"
#include "notify/notify_after_record.h"
#include "platform/host/host_platform.h"
#include "platform/simulated_spooler.h"

namespace {

using namespace spoolhook;
namespace fs = std::filesystem;

constexpr DWORD kOverlayRecordId = 3;
constexpr std::size_t kOverlayHeaderBytes = 387;

// An overlay file: its header with the data offset, the signature and the fields the checks
// read, then `dataBytes` of form data.
std::string OverlayFile(const char* signature, std::uint8_t creatorKind, std::uint8_t modeMark,
                        std::size_t dataBytes) {
  std::string file(kOverlayHeaderBytes + dataBytes, 'F');
  std::memset(file.data(), 0, kOverlayHeaderBytes);
  auto put16 = [&file](std::size_t offset, std::uint16_t value) {
    file[offset] = char(value & 0xFF);
    file[offset + 1] = char(value >> 8);
  };
  put16(0, kOverlayHeaderBytes);
  std::memcpy(&file[8], signature, 6);
  file[61] = char(creatorKind);
  file[62] = 1;    // colour mode
  put16(64, 260);  // paper size code, counted as 43
  file[68] = 1;    // orientation
  put16(71, 600);  // resolution
  for (int i = 0; i < 4; ++i) put16(85 + 2 * i, std::uint16_t(100 * (i + 1)));
  file[379] = char(modeMark);
  return file;
}

struct Form {
  const char* name;
  std::string bytes;
};

// The overlay files every input finds in C:\FORMS.
const Form* Forms(std::size_t* count) {
  static const Form forms[] = {
      {"GOOD.OVL", OverlayFile("Mirak", 0, 0, 100)},
      {"BLOCK.OVL", OverlayFile("Mirak", 0, 0, 4096)},  // data ending on a block boundary
      {"KIND10.OVL", OverlayFile("Mirak", 10, 1, 10)},  // another driver's file
      {"OTHER.OVL", OverlayFile("Other", 0, 0, 10)},    // no overlay file
      {"SHORT.OVL", std::string(100, 'S')},             // shorter than a header
  };
  *count = std::size(forms);
  return forms;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

// The folder of the fuzz machines, made once per process with the accounting plug-in in
// the driver directory. The plug-in is kept loaded for the whole run: libFuzzer keeps
// reading the coverage counters of every instrumented library it has seen, so the
// library's own load and unload for each job must not take it out of memory.
class MachineFolder {
 public:
  MachineFolder() : root_(Base() / ("spoolhook-fuzz-" + std::to_string(::getpid()))) {
    RemoveStaleFolders();
    fs::remove_all(root_);
    fs::create_directories(root_ / "C" / "DRIVERS");
    std::ifstream plugin(ACCOUNTING_SAMPLE_PLUGIN_PATH, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(plugin), {}};
    if (bytes.empty()) std::abort();  // the plug-in was not built
    const fs::path installed = root_ / "C" / "DRIVERS" / "KVESDRV.DLL";
    WriteFile(installed, bytes);
    if (!::dlopen(installed.c_str(), RTLD_NOW | RTLD_LOCAL)) std::abort();
  }

  ~MachineFolder() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  // Everything but the driver directory goes; the forms and the empty folders come back.
  void Reset() const {
    for (const fs::directory_entry& entry : fs::directory_iterator(root_)) {
      if (entry.path().filename() != "C") fs::remove_all(entry.path());
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(root_ / "C")) {
      if (entry.path().filename() != "DRIVERS") fs::remove_all(entry.path());
    }
    fs::create_directories(root_ / "C" / "FUZZ");
    fs::create_directories(root_ / "UNC" / "SERVER" / "SHARE");
    fs::create_directories(root_ / "C" / "FORMS");
    std::size_t count = 0;
    const Form* forms = Forms(&count);
    for (std::size_t i = 0; i < count; ++i)
      WriteFile(root_ / "C" / "FORMS" / forms[i].name, forms[i].bytes);
  }

  const fs::path& root() const { return root_; }

 private:
  // A memory file system where there is one: every input makes and removes folders.
  static fs::path Base() {
    std::error_code error;
    return fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
  }
  // The folders of earlier runs that ended in a crash, whose processes are gone.
  static void RemoveStaleFolders() {
    const std::string prefix = "spoolhook-fuzz-";
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(Base(), error)) {
      const std::string name = entry.path().filename().string();
      if (name.rfind(prefix, 0) != 0) continue;
      const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
      if (pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
        fs::remove_all(entry.path(), error);
    }
  }

  fs::path root_;
};

struct Machine {
  explicit Machine(const fs::path& root)
      : host(Config(root)), spooler(host, SimulatedSpoolerConfig{}, [](const void*, DWORD) {}) {
    SetPlatform(&spooler);
  }
  ~Machine() { SetPlatform(nullptr); }
  static HostMachineConfig Config(const fs::path& root) {
    HostMachineConfig config;
    config.root = root;
    return config;
  }
  HostPlatform host;
  SimulatedSpoolerPlatform spooler;
};

// A replay sends the job once per copy and pads every group with blank pages up to the
// pages per side; both are 16-bit counts, so one record could ask for a billion pages,
// which the library sends as asked. The fuzzer plays larger counts as this cap.
constexpr std::int16_t kMostFanOut = 16;

std::uint32_t ReadU32(const std::uint8_t* at) {
  std::uint32_t value = 0;
  std::memcpy(&value, at, 4);
  return value;
}

// Caps the copies (case 0, slot 2) and the pages per side (case 1, slot 1) of a record 2
// subcommand 103; negative counts and those up to the cap stay as they are.
void CapFanOut(std::uint8_t* record, std::size_t size) {
  constexpr std::uint32_t kSpoolRecordId = 2;
  constexpr std::uint32_t kReplayParameters = 103;
  if (size < 16 || ReadU32(record) != kSpoolRecordId || ReadU32(record + 8) != kReplayParameters) {
    return;
  }
  const std::uint32_t replayCase = ReadU32(record + 12);
  const std::size_t offset = replayCase == 0 ? 24 : replayCase == 1 ? 20 : 0;
  if (offset == 0 || size < offset + 4) return;
  std::int16_t count = 0;
  std::memcpy(&count, record + offset, 2);
  if (count > kMostFanOut) std::memcpy(record + offset, &kMostFanOut, 2);
}

void Play(HANDLE handle, const std::uint8_t* data, std::size_t size) {
  // An exactly sized copy, so that a read past the record is caught.
  std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[size ? size : 1]);
  std::memcpy(bytes.get(), data, size);
  CapFanOut(bytes.get(), size);
  DWORD written = 0;
  const std::uint32_t id = size >= 4 ? ReadU32(bytes.get()) : 0;
  if (size < 4 || (id & DRIVER_RECORD_BIT)) {
    DrvSplWritePrinter(handle, bytes.get(), static_cast<DWORD>(size), &written);
    return;
  }
  auto* job = static_cast<JobContext*>(handle);
  const RecordView record(bytes.get(), static_cast<DWORD>(size));
  const BOOL result = DispatchEngineRecord(job, record, &written);
  if (job->JobError != 0 || id == kOverlayRecordId) {
    NotifyAfterRecord(job, record, job->JobError, result);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const MachineFolder folder;
  folder.Reset();
  Machine machine(folder.root());
  const std::size_t blocks = machine.host.HeapBlockCount();
  const std::size_t handles = machine.host.OpenHandleCount();
  HANDLE job = DrvSplStartDoc(machine.spooler.printer(), 1);
  while (size >= 2) {
    std::size_t length = data[0] | std::size_t{data[1]} << 8;
    data += 2;
    size -= 2;
    if (length > size) length = size;
    Play(job, data, length);
    data += length;
    size -= length;
  }
  DrvSplEndDoc(job);
  DrvSplClose(job);
  if (machine.host.HeapBlockCount() != blocks || machine.host.OpenHandleCount() != handles) {
    std::abort();  // the job leaked
  }
  return 0;
}
