// The simulated network library's NetMessageBufferSend. Each machine that can send pop-ups
// claims an entry point of its own from a fixed set: the function the caller receives is a
// plain function, so it tells its machine by which entry point it is.
#pragma once

#include <functional>
#include <mutex>
#include <vector>

#include "platform/host/host_platform.h"

namespace spoolhook {

// The pop-ups a machine has received, and the hook that sees each one.
class PopupInbox {
 public:
  // Records the pop-up and returns the hook to call for it (outside every lock).
  std::function<void(const Popup&)> Record(const Popup& popup);
  std::vector<Popup> All() const;
  void SetHook(std::function<void(const Popup&)> hook);

 private:
  mutable std::mutex mutex_;
  std::vector<Popup> popups_;
  std::function<void(const Popup&)> hook_;
};

// An entry point that delivers to one inbox for as long as this object lives.
class NetapiEntryPoint {
 public:
  explicit NetapiEntryPoint(PopupInbox& inbox);
  ~NetapiEntryPoint();

  NetapiEntryPoint(const NetapiEntryPoint&) = delete;
  NetapiEntryPoint& operator=(const NetapiEntryPoint&) = delete;

  // None when every entry point is taken by other live machines.
  NetMessageBufferSendFn function() const;

 private:
  int slot_;
};

}  // namespace spoolhook
