// The driver layer's part of the job state, directly behind the engine's fields in the job's
// block. Zero-filled when the job starts.
#pragma once

#include "platform/win_types.h"

namespace spoolhook {

struct AccountingPlugin;

struct DriverBlock {
  HMODULE ModuleHandle;  // this library, for its message strings
  HANDLE PrinterHandle;
  DWORD SpoolerJobId;
  DWORD CommandBracketOn;
  DWORD DataWrapperOn;
  DWORD PopupLatch;
  DWORD TypeCommandOn;
  WORD JobInfoFlags;
  DWORD BlankPageValue;
  DWORD AccountingTotal;
  DWORD BytesReported;
  char JobTitle[33];
  char JobUserName[33];
  SYSTEMTIME SettingsTime;
  AccountingPlugin* PluginInterface;
  DWORD PacketTagOn;
  DWORD PacketTagFirst;
  DWORD PacketTagSecond;
  DWORD AccountingCount;
  BYTE* AccountingEntries;
  char AccountText[80];
  DWORD AccountNumber;
  DWORD PluginJobHandle;
  DWORD WrapperState;
  DWORD PluginJobValue;
  DWORD AccountingFlags;
  char DocumentName[256];
  char AltJobTitle[33];
  DWORD AltMode;
  BYTE TypeCommandDefault;
  WORD NameSelectFlags;
  DWORD NameSelectA;
  DWORD NameSelectB;
  DWORD NameSelectMask;
};

}  // namespace spoolhook
