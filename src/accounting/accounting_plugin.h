// The accounting plug-in: the library "KVESDRV.DLL" in the driver's directory, entered
// through its export "KvGetInterface". The job holds at most one loaded plug-in, in the
// DriverBlock's PluginInterface, from a start record to the end record (or DrvSplClose).
#pragma once

#include "engine/job_context.h"

namespace spoolhook {

// One loaded plug-in: its three operations, the library, the interface the library offered
// and the copy of the job's accounting path that every plug-in call receives first.
struct AccountingPlugin {
  void (*PluginRelease)(AccountingPlugin* plugin);
  DWORD (*PluginStartJob)(AccountingPlugin* plugin, BYTE* startBlock, BYTE* resultBlock);
  void (*PluginEndJob)(AccountingPlugin* plugin, DWORD jobHandle, BYTE* endBlock);
  HMODULE Module;
  const void* Interface;  // the plug-in's table of entry points
  char AccountingPath[kPathBytes];
};

// Loads `fileName` from the job's driver directory, with that directory as the process's
// current directory while it loads; the module handle, or none.
HMODULE LoadFromDriverDirectory(JobContext* job, const char16_t* fileName);

// Loads the plug-in and stores it in PluginInterface, releasing a plug-in held there before;
// FALSE (PluginInterface unchanged) when the library, its export or its interface is missing.
BOOL GetAccountingPlugin(JobContext* job);

// The record's operations; each does nothing without a record. PluginRelease unloads the
// library and frees the record without calling the plug-in.
void PluginRelease(AccountingPlugin* plugin);
DWORD PluginStartJob(AccountingPlugin* plugin, BYTE* startBlock, BYTE* resultBlock);
void PluginEndJob(AccountingPlugin* plugin, DWORD jobHandle, BYTE* endBlock);

// Releases the held plug-in (if any) and empties PluginInterface.
void ReleaseHeldPlugin(JobContext* job);

// Frees the entry list and sets AccountingCount to 0 with it, so that the count never
// describes a list that is gone.
void ReleaseAccountingEntries(JobContext* job);

// What DrvSplClose releases of the accounting: a plug-in that no end record released, and
// the entry list.
void ReleaseAccounting(JobContext* job);

}  // namespace spoolhook
