#include "platform/platform.h"

#include <atomic>

namespace spoolhook {
namespace {
std::atomic<Platform*> installed{nullptr};
}  // namespace

Platform& Os() {
  Platform* platform = installed.load(std::memory_order_acquire);
  return platform ? *platform : BuiltInPlatform();
}

Platform* SetPlatform(Platform* platform) {
  return installed.exchange(platform, std::memory_order_acq_rel);
}

}  // namespace spoolhook
