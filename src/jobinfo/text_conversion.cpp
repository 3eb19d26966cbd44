#include "jobinfo/text_conversion.h"

#include <cstring>

#include "engine/slots.h"
#include "platform/platform.h"

namespace spoolhook {

char* ToAnsi(char* destination, const char16_t* text) {
  destination[0] = '\0';
  if (!text) return destination;
  const int size = static_cast<int>(2 * WideLength(text) + 2);
  // A failed conversion may leave part of a text without its terminator behind.
  if (Os().WideCharToMultiByte(CP_ACP, 0, text, -1, destination, size, nullptr, nullptr) == 0) {
    destination[0] = '\0';
  }
  return destination;
}

char16_t* ToWide(char16_t* destination, const char* text) {
  destination[0] = u'\0';
  if (!text) return destination;
  const int size = static_cast<int>(std::strlen(text) + 1);
  if (Os().MultiByteToWideChar(CP_ACP, 0, text, -1, destination, size) == 0) {
    destination[0] = u'\0';
  }
  return destination;
}

std::size_t BoundedLength(const char* text, std::size_t limit) {
  std::size_t length = 0;
  while (length < limit && text[length]) ++length;
  return length;
}

}  // namespace spoolhook
