#include "notify/job_message.h"

#include <algorithm>
#include <cstring>

#include "platform/platform.h"

namespace spoolhook {
namespace {

constexpr int kLoadedUnits = 260;    // prefix and message as loaded
constexpr int kOutputUnits = 520;    // the composed text with its terminator
constexpr int kSuffixUnits = 64;     // the suffix with its terminator
constexpr int kFileNameUnits = 259;  // the file name, without its terminator

// A terminated UTF-16 text in a fixed buffer; what does not fit is cut.
class TextBuilder {
 public:
  void Append(const char16_t* text, std::size_t length) {
    for (std::size_t i = 0; i < length && length_ < kOutputUnits - 1; ++i) {
      units_[length_++] = text[i];
    }
    units_[length_] = u'\0';
  }
  const char16_t* text() const { return units_; }
  DWORD length() const { return static_cast<DWORD>(length_); }

 private:
  char16_t units_[kOutputUnits] = {};
  std::size_t length_ = 0;
};

// The file name in UTF-16, at most kFileNameUnits units: every ANSI byte gives at most one
// unit, so converting that many bytes always fits.
int FileNameToWide(const char* fileName, char16_t (&wide)[kFileNameUnits + 1]) {
  const std::size_t bytes = std::min<std::size_t>(std::strlen(fileName), kFileNameUnits);
  const int units =
      Os().MultiByteToWideChar(CP_ACP, 0, fileName, static_cast<int>(bytes), wide, kFileNameUnits);
  wide[units > 0 ? units : 0] = u'\0';
  return units > 0 ? units : 0;
}

// Copies `loaded` into `output` with the file name in place of every "%s". Nothing else is
// read as a format field, so no text can make the composition look for another argument.
void PutFileName(const char16_t* loaded, int loadedLength, const char* fileName,
                 TextBuilder& output) {
  char16_t name[kFileNameUnits + 1];
  const int nameLength = FileNameToWide(fileName, name);
  for (int i = 0; i < loadedLength; ++i) {
    if (loaded[i] == u'%' && i + 1 < loadedLength && loaded[i + 1] == u's') {
      output.Append(name, static_cast<std::size_t>(nameLength));
      ++i;
    } else {
      output.Append(&loaded[i], 1);
    }
  }
}

}  // namespace

void SendJobMessage(HMODULE module, UINT messageId, UINT suffixId, UINT prefixId,
                    const char* fileName) {
  Platform& os = Os();
  char16_t loaded[kLoadedUnits] = {};
  int loadedLength = 0;
  if (prefixId != 0) {
    loadedLength = os.LoadStringW(module, prefixId, loaded, kLoadedUnits);
    if (loadedLength <= 0) return;
  }
  const int messageLength =
      os.LoadStringW(module, messageId, loaded + loadedLength, kLoadedUnits - loadedLength);
  if (messageLength <= 0) return;
  loadedLength += messageLength;

  TextBuilder output;
  if (fileName && fileName[0]) {
    PutFileName(loaded, loadedLength, fileName, output);
  } else {
    output.Append(loaded, static_cast<std::size_t>(loadedLength));
  }
  if (suffixId != 0) {
    char16_t suffix[kSuffixUnits] = {};
    const int suffixLength = os.LoadStringW(module, suffixId, suffix, kSuffixUnits);
    if (suffixLength <= 0) return;
    output.Append(suffix, static_cast<std::size_t>(suffixLength));
  }
  SendNetMessage(output.text(), output.length());
}

}  // namespace spoolhook
