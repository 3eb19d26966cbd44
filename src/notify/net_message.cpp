#include "notify/job_message.h"
#include "platform/exception_guard.h"
#include "platform/platform.h"

namespace spoolhook {
namespace {

constexpr char16_t kNetworkLibrary[] = u"NETAPI32.Dll";
constexpr char kSendFunction[] = "NetMessageBufferSend";
constexpr DWORD kComputerNameUnits = 130;

}  // namespace

BOOL SendNetMessage(const char16_t* text, DWORD length) {
  Platform& os = Os();
  // Loaded for each message, so that nothing of it stays in the spooler between messages.
  HMODULE library = os.LoadLibraryW(kNetworkLibrary);
  if (!library || library == INVALID_HANDLE_VALUE) return FALSE;
  const auto send =
      reinterpret_cast<NetMessageBufferSendFn>(os.GetProcAddress(library, kSendFunction));
  BOOL sent = FALSE;
  char16_t computer[kComputerNameUnits] = {};
  DWORD size = kComputerNameUnits - 1;
  // Without the computer's name there is no one to address the message to.
  if (send && os.GetComputerNameW(computer, &size)) {
    auto* buffer = reinterpret_cast<BYTE*>(const_cast<char16_t*>(text));
    // Guarded on its own, so that the library is unloaded again whatever the call does: some
    // systems ship the entry point as a stub that raises an exception.
    auto sendMessage = [&] {
      sent = send(nullptr, computer, nullptr, buffer, length * 2) == ERROR_SUCCESS;
    };
    if (!RunGuarded(sendMessage)) sent = FALSE;
  }
  os.FreeLibrary(library);
  return sent;
}

}  // namespace spoolhook
