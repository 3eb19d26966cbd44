// What the benchmarks share: the simulated machine and spooler with a port that counts the
// bytes it gets and keeps none, and command records sent through DrvSplWritePrinter.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "engine/exports.h"
#include "platform/host/host_platform.h"
#include "platform/simulated_spooler.h"

namespace spoolhook::bench {

struct Machine {
  Machine()
      : host(Config()), spooler(host, SimulatedSpoolerConfig{}, [this](const void*, DWORD count) {
          portBytes += count;
        }) {
    std::filesystem::create_directories(host.config().root / "C" / "BENCH");
    SetPlatform(&spooler);
  }
  ~Machine() {
    SetPlatform(nullptr);
    std::filesystem::remove_all(host.config().root);
  }
  static HostMachineConfig Config() {
    HostMachineConfig config;
    config.root = std::filesystem::temp_directory_path() / "spoolhook-bench";
    return config;
  }
  HostPlatform host;
  SimulatedSpoolerPlatform spooler;
  std::uint64_t portBytes = 0;  // everything WritePrinter received
};

// A command record: the id, a zero second word, then the payload.
inline std::string Record(std::uint32_t id, const std::string& payload) {
  std::string record(8, '\0');
  std::memcpy(record.data(), &id, 4);
  return record + payload;
}

// Little-endian 32-bit words, the payload of most records.
inline std::string Words(std::initializer_list<std::uint32_t> words) {
  std::string bytes;
  for (std::uint32_t word : words) bytes.append(reinterpret_cast<const char*>(&word), 4);
  return bytes;
}

// Hands `record` to the library; its result.
inline BOOL Send(HANDLE job, std::string& record) {
  DWORD written = 0;
  return DrvSplWritePrinter(job, record.data(), static_cast<DWORD>(record.size()), &written);
}
inline BOOL Send(HANDLE job, std::string&& record) { return Send(job, record); }

}  // namespace spoolhook::bench
