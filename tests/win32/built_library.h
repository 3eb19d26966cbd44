// A built spoolhook.dll, loaded with LoadLibraryW as the spooler loads it, with its exports
// looked up by their undecorated names.
#pragma once

#include <string>

#include "engine/exports.h"
#include "platform/win_types.h"

namespace spoolhook::testing {

class BuiltLibrary {
 public:
  // The library of the build tree that the running program belongs to: src/spoolhook.dll
  // beside the program's folder.
  static std::u16string PathInBuildTree();

  explicit BuiltLibrary(const std::u16string& path = PathInBuildTree());
  ~BuiltLibrary();
  BuiltLibrary(const BuiltLibrary&) = delete;
  BuiltLibrary& operator=(const BuiltLibrary&) = delete;

  // Loaded, with every export found.
  bool loaded() const;
  HMODULE module() const { return module_; }
  const EntryPoints& exports() const { return exports_; }

 private:
  HMODULE module_ = nullptr;
  EntryPoints exports_;
};

}  // namespace spoolhook::testing
