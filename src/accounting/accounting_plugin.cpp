#include "accounting/accounting_plugin.h"

#include <cstring>

#include "engine/slots.h"
#include "jobinfo/driver_block.h"
#include "platform/platform.h"

namespace spoolhook {
namespace {

constexpr char16_t kPluginFileName[] = u"KVESDRV.DLL";
constexpr char kPluginExport[] = "KvGetInterface";
constexpr char kInterfaceId[] = "4b16748b-d289-419d-9d5d-47a2a348567f";

// Paths and the saved current directory, in UTF-16 units with the terminator.
constexpr std::size_t kPathUnits = 260;

// The plug-in's calls. Every argument is pointer-sized (32-bit on x86).
using GetInterfaceFn = const void*(WINAPI*)(const char* interfaceId);
using StartEntryFn = DWORD(WINAPI*)(const char* accountingPath, BYTE* startBlock,
                                    BYTE* resultBlock);
using EndEntryFn = DWORD(WINAPI*)(const char* accountingPath, std::uintptr_t jobHandle,
                                  BYTE* endBlock);

// Entry `index` of the plug-in's table; entry 0 is never called.
FARPROC Entry(const AccountingPlugin* plugin, int index) {
  return static_cast<const FARPROC*>(plugin->Interface)[index];
}

// `directory`, a backslash and `fileName` into `path`; false when that does not fit.
bool JoinPath(char16_t (&path)[kPathUnits], const char16_t* directory, const char16_t* fileName) {
  const std::size_t directoryLength = WideLength(directory);
  const std::size_t fileLength = WideLength(fileName);
  if (directoryLength + 1 + fileLength + 1 > kPathUnits) return false;
  std::memcpy(path, directory, directoryLength * sizeof(char16_t));
  path[directoryLength] = u'\\';
  std::memcpy(path + directoryLength + 1, fileName, (fileLength + 1) * sizeof(char16_t));
  return true;
}

}  // namespace

HMODULE LoadFromDriverDirectory(JobContext* job, const char16_t* fileName) {
  const char16_t* directory = job->DriverDirectory;
  // Without the driver information there is no directory: a bare file name would be searched
  // for along the whole library path and might load a stranger's library.
  if (!directory || !directory[0]) return nullptr;
  char16_t path[kPathUnits];
  if (!JoinPath(path, directory, fileName)) return nullptr;
  Platform& os = Os();
  char16_t saved[kPathUnits];
  const DWORD savedLength = os.GetCurrentDirectoryW(kPathUnits, saved);
  if (savedLength == 0 || savedLength >= kPathUnits) return nullptr;
  // The plug-in may load libraries of its own from its directory. The full path loads it even
  // when the directory cannot be made current.
  const BOOL switched = os.SetCurrentDirectoryW(directory);
  HMODULE module = os.LoadLibraryW(path);
  if (switched) os.SetCurrentDirectoryW(saved);
  return module;
}

BOOL GetAccountingPlugin(JobContext* job) {
  Platform& os = Os();
  HMODULE module = LoadFromDriverDirectory(job, kPluginFileName);
  if (!module) return FALSE;
  const auto getInterface =
      reinterpret_cast<GetInterfaceFn>(os.GetProcAddress(module, kPluginExport));
  const void* entries = getInterface ? getInterface(kInterfaceId) : nullptr;
  AccountingPlugin* plugin = nullptr;
  if (!entries || !MemAlloc(&plugin, sizeof *plugin)) {
    os.FreeLibrary(module);
    return FALSE;
  }
  plugin->PluginRelease = PluginRelease;
  plugin->PluginStartJob = PluginStartJob;
  plugin->PluginEndJob = PluginEndJob;
  plugin->Module = module;
  plugin->Interface = entries;
  // The last byte of the job's path is always zero; the copy's stays zero with it.
  std::memcpy(plugin->AccountingPath, job->AccountingPath, kPathBytes - 1);
  // A plug-in still held from an earlier start record would be lost otherwise.
  ReleaseHeldPlugin(job);
  GetDriverBlock(job)->PluginInterface = plugin;
  return TRUE;
}

void PluginRelease(AccountingPlugin* plugin) {
  if (!plugin) return;
  Os().FreeLibrary(plugin->Module);
  MemFree(&plugin);
}

DWORD PluginStartJob(AccountingPlugin* plugin, BYTE* startBlock, BYTE* resultBlock) {
  if (!plugin) return 0;
  const auto start = reinterpret_cast<StartEntryFn>(Entry(plugin, 1));
  return start(plugin->AccountingPath, startBlock, resultBlock);
}

void PluginEndJob(AccountingPlugin* plugin, DWORD jobHandle, BYTE* endBlock) {
  if (!plugin) return;
  const auto end = reinterpret_cast<EndEntryFn>(Entry(plugin, 2));
  end(plugin->AccountingPath, jobHandle, endBlock);
}

void ReleaseHeldPlugin(JobContext* job) {
  DriverBlock* block = GetDriverBlock(job);
  AccountingPlugin* plugin = block->PluginInterface;
  block->PluginInterface = nullptr;
  if (plugin) plugin->PluginRelease(plugin);
}

void ReleaseAccountingEntries(JobContext* job) {
  DriverBlock* block = GetDriverBlock(job);
  MemFree(&block->AccountingEntries);
  block->AccountingCount = 0;
}

void ReleaseAccounting(JobContext* job) {
  if (!GetDriverBlock(job)) return;
  ReleaseHeldPlugin(job);
  ReleaseAccountingEntries(job);
}

}  // namespace spoolhook
