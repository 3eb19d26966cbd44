// Plays arbitrary record streams through one job each on the simulated machine. The input
// is a sequence of records, each a u16 length followed by that many bytes (the last one takes
// what is left). Engine records are dispatched without the exception guard, so that the
// sanitizers see any fault; every job must give back each block and handle it took.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "engine/exports.h"
#include "engine/record_dispatch.h"
#include "platform/host/host_platform.h"
#include "platform/simulated_spooler.h"

namespace {

using namespace spoolhook;

struct Machine {
  Machine() : host(Config()), spooler(host, SimulatedSpoolerConfig{}, [](const void*, DWORD) {}) {
    std::filesystem::create_directories(host.config().root / "C" / "FUZZ");
    SetPlatform(&spooler);
  }
  static HostMachineConfig Config() {
    HostMachineConfig config;
    config.root = std::filesystem::temp_directory_path() / "spoolhook-fuzz";
    return config;
  }
  HostPlatform host;
  SimulatedSpoolerPlatform spooler;
};

void Play(HANDLE handle, const std::uint8_t* data, std::size_t size) {
  // An exactly sized copy, so that a read past the record is caught.
  std::unique_ptr<std::uint8_t[]> record(new std::uint8_t[size ? size : 1]);
  std::memcpy(record.get(), data, size);
  DWORD written = 0;
  std::uint32_t id = 0;
  if (size >= 4) std::memcpy(&id, record.get(), 4);
  if (size >= 4 && !(id & DRIVER_RECORD_BIT)) {
    DispatchEngineRecord(static_cast<JobContext*>(handle),
                         RecordView(record.get(), static_cast<DWORD>(size)), &written);
  } else {
    DrvSplWritePrinter(handle, record.get(), static_cast<DWORD>(size), &written);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Machine machine;
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
