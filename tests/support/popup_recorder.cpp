#include "support/popup_recorder.h"

#include <cstring>
#include <stdexcept>

namespace spoolhook::testing {
namespace {

PopupRecorder* current = nullptr;
char moduleTag;  // its address is the network library's module handle

HMODULE NetworkModule() { return &moduleTag; }

DWORD WINAPI RecordMessage(const char16_t* server, const char16_t* to, const char16_t* from,
                           BYTE* buffer, DWORD bufferSize) {
  std::u16string text(bufferSize / 2, u'\0');
  std::memcpy(text.data(), buffer, text.size() * 2);
  if (current->sendRaises) throw std::runtime_error("NetMessageBufferSend is a stub here");
  current->messages.push_back(
      {server != nullptr, to ? to : u"", from != nullptr, std::move(text), bufferSize});
  return current->sendResult;
}

}  // namespace

PopupRecorder::PopupRecorder() : ForwardingPlatform(Os()), previous_(SetPlatform(this)) {
  current = this;
}

PopupRecorder::~PopupRecorder() {
  SetPlatform(previous_);
  current = nullptr;
}

std::vector<std::u16string> PopupRecorder::Texts() const {
  std::vector<std::u16string> texts;
  for (const Message& message : messages) texts.push_back(message.text);
  return texts;
}

HMODULE PopupRecorder::LoadLibraryW(const char16_t* name) {
  if (!name || std::u16string(name) != u"NETAPI32.Dll") return inner().LoadLibraryW(name);
  if (!libraryAvailable) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  ++loads;
  return NetworkModule();
}

FARPROC PopupRecorder::GetProcAddress(HMODULE module, const char* name) {
  if (module != NetworkModule()) return inner().GetProcAddress(module, name);
  if (!entryPointAvailable || std::string(name) != "NetMessageBufferSend") {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(&RecordMessage);
}

BOOL PopupRecorder::FreeLibrary(HMODULE module) {
  if (module != NetworkModule()) return inner().FreeLibrary(module);
  ++frees;
  return TRUE;
}

}  // namespace spoolhook::testing
