// The built spoolhook.dll, loaded with LoadLibraryW as the spooler loads it (from the build
// tree: src/spoolhook.dll next to the tests folder), with its exports looked up by name.
#pragma once

#include "engine/exports.h"
#include "platform/win_types.h"

namespace spoolhook::testing {

struct LibraryExports {
  decltype(&::DrvSplStartDoc) startDoc = nullptr;
  decltype(&::DrvSplWritePrinter) writePrinter = nullptr;
  decltype(&::DrvSplEndDoc) endDoc = nullptr;
  decltype(&::DrvSplClose) close = nullptr;
};

class BuiltLibrary {
 public:
  BuiltLibrary();
  ~BuiltLibrary();
  BuiltLibrary(const BuiltLibrary&) = delete;
  BuiltLibrary& operator=(const BuiltLibrary&) = delete;

  // Loaded, with every export of LibraryExports found.
  bool loaded() const;
  HMODULE module() const { return module_; }
  const LibraryExports& exports() const { return exports_; }

 private:
  HMODULE module_ = nullptr;
  LibraryExports exports_;
};

}  // namespace spoolhook::testing
