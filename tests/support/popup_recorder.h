// Stands in for the network library on every target: "NETAPI32.Dll" loads as a module of its
// own whose NetMessageBufferSend records each message. Installed in front of the library's
// platform for its lifetime; one at a time.
#pragma once

#include <string>
#include <vector>

#include "platform/forwarding_platform.h"

namespace spoolhook::testing {

class PopupRecorder : public ForwardingPlatform {
 public:
  struct Message {
    bool hasServer;  // a server name was given
    std::u16string to;
    bool hasSender;  // a sender name was given
    std::u16string text;
    DWORD bufferSize;
  };

  PopupRecorder();  // in front of the platform installed now
  ~PopupRecorder() override;

  // The texts sent so far.
  std::vector<std::u16string> Texts() const;

  std::vector<Message> messages;
  bool libraryAvailable = true;     // false: loading the network library fails
  bool entryPointAvailable = true;  // false: it has no NetMessageBufferSend
  DWORD sendResult = 0;             // what NetMessageBufferSend returns
  bool sendRaises = false;          // true: it throws instead of returning
  int loads = 0;                    // successful loads of the network library
  int frees = 0;                    // and its unloads

  HMODULE LoadLibraryW(const char16_t* name) override;
  FARPROC GetProcAddress(HMODULE module, const char* name) override;
  BOOL FreeLibrary(HMODULE module) override;

 private:
  Platform* previous_;
};

}  // namespace spoolhook::testing
