// Two pages of memory of which the second cannot be touched: a buffer placed at the end of
// the first page faults as soon as anything reads past it.
#pragma once

#include <cstddef>

#include "platform/win_types.h"

namespace spoolhook::testing {

class InaccessibleMemory {
 public:
  InaccessibleMemory();
  ~InaccessibleMemory();
  InaccessibleMemory(const InaccessibleMemory&) = delete;
  InaccessibleMemory& operator=(const InaccessibleMemory&) = delete;

  // The last `count` readable bytes: the hole begins right behind them.
  BYTE* LastBytesBeforeTheHole(std::size_t count) { return hole() - count; }
  BYTE* hole() { return base_ + kPage; }

 private:
  static constexpr std::size_t kPage = 65536;  // a multiple of every page size we run on
  BYTE* base_ = nullptr;
};

}  // namespace spoolhook::testing
