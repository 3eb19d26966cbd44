#include "platform/host/netapi_simulation.h"

#include <array>
#include <cstring>
#include <utility>

namespace spoolhook {
namespace {

// Machines alive at the same time that can send pop-ups.
constexpr std::size_t kEntryPoints = 64;

// Constant-initialized, so that it outlives every machine, the built-in one included.
std::mutex slotsMutex;
std::array<PopupInbox*, kEntryPoints> slots{};

DWORD SendToSlot(std::size_t slot, const char16_t* messageName, const BYTE* buffer,
                 DWORD bufferSize) {
  if (!messageName || !buffer || bufferSize % 2 != 0) return ERROR_INVALID_PARAMETER;
  // The caller's memory is read before any lock is taken.
  Popup popup{std::u16string(messageName), std::u16string(bufferSize / 2, u'\0')};
  std::memcpy(popup.text.data(), buffer, bufferSize);
  std::function<void(const Popup&)> hook;
  {
    std::lock_guard<std::mutex> lock(slotsMutex);
    if (!slots[slot]) return ERROR_INVALID_HANDLE;  // the machine is gone
    hook = slots[slot]->Record(popup);
  }
  if (hook) hook(popup);
  return ERROR_SUCCESS;
}

template <std::size_t Slot>
DWORD WINAPI SendThroughSlot(const char16_t*, const char16_t* messageName, const char16_t*,
                             BYTE* buffer, DWORD bufferSize) {
  return SendToSlot(Slot, messageName, buffer, bufferSize);
}

template <std::size_t... Slots>
constexpr std::array<NetMessageBufferSendFn, sizeof...(Slots)> MakeEntryPoints(
    std::index_sequence<Slots...>) {
  return {&SendThroughSlot<Slots>...};
}

constexpr auto kSendFunctions = MakeEntryPoints(std::make_index_sequence<kEntryPoints>());

}  // namespace

std::function<void(const Popup&)> PopupInbox::Record(const Popup& popup) {
  std::lock_guard<std::mutex> lock(mutex_);
  popups_.push_back(popup);
  return hook_;
}

std::vector<Popup> PopupInbox::All() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return popups_;
}

void PopupInbox::SetHook(std::function<void(const Popup&)> hook) {
  std::lock_guard<std::mutex> lock(mutex_);
  hook_ = std::move(hook);
}

NetapiEntryPoint::NetapiEntryPoint(PopupInbox& inbox) : slot_(-1) {
  std::lock_guard<std::mutex> lock(slotsMutex);
  for (std::size_t i = 0; i < kEntryPoints; ++i) {
    if (slots[i]) continue;
    slots[i] = &inbox;
    slot_ = static_cast<int>(i);
    return;
  }
}

NetapiEntryPoint::~NetapiEntryPoint() {
  if (slot_ < 0) return;
  std::lock_guard<std::mutex> lock(slotsMutex);
  slots[slot_] = nullptr;
}

NetMessageBufferSendFn NetapiEntryPoint::function() const {
  return slot_ < 0 ? nullptr : kSendFunctions[slot_];
}

}  // namespace spoolhook
