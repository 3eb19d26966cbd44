#include "platform/host/code_page_1252.h"

#include "platform/host/host_platform.h"

namespace spoolhook {
namespace {

// Bytes 0x80 to 0x9F; the others are the Latin-1 characters of the same value. The five
// bytes that Windows-1252 leaves undefined stand for the control characters of their value,
// as Windows converts them.
constexpr char16_t kHighControlRange[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

bool IsAnsiCodePage(UINT codePage) { return codePage == CP_ACP || codePage == CP_WINDOWS_1252; }

bool IsSurrogatePair(const char16_t* text, std::size_t i, std::size_t count) {
  return i + 1 < count && text[i] >= 0xD800 && text[i] <= 0xDBFF && text[i + 1] >= 0xDC00 &&
         text[i + 1] <= 0xDFFF;
}

}  // namespace

char16_t Cp1252ToUnit(unsigned char byte) {
  return byte >= 0x80 && byte <= 0x9F ? kHighControlRange[byte - 0x80] : byte;
}

std::optional<unsigned char> UnitToCp1252(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<unsigned char>(unit);
  for (unsigned char i = 0; i < 32; ++i) {
    if (kHighControlRange[i] == unit) return static_cast<unsigned char>(0x80 + i);
  }
  return std::nullopt;
}

std::u16string AnsiToWide(std::string_view ansi) {
  std::u16string wide;
  for (char byte : ansi) wide.push_back(Cp1252ToUnit(static_cast<unsigned char>(byte)));
  return wide;
}

// Neither conversion takes a lock: they touch nothing but the caller's buffers.
int HostPlatform::WideCharToMultiByte(UINT codePage, DWORD, const char16_t* wide, int wideCount,
                                      char* multiByte, int multiByteSize, const char* defaultChar,
                                      BOOL* usedDefaultChar) {
  if (!IsAnsiCodePage(codePage) || !wide || wideCount == 0 || wideCount < -1 || multiByteSize < 0 ||
      (multiByteSize > 0 && !multiByte)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::size_t count =
      wideCount == -1 ? std::char_traits<char16_t>::length(wide) + 1 : std::size_t(wideCount);
  const char fallback = defaultChar ? *defaultChar : '?';
  bool usedDefault = false;
  std::size_t produced = 0;
  for (std::size_t i = 0; i < count; ++i) {
    std::optional<unsigned char> byte = UnitToCp1252(wide[i]);
    if (!byte) {
      // A character beyond the first plane becomes one default character, not two.
      if (IsSurrogatePair(wide, i, count)) ++i;
      byte = static_cast<unsigned char>(fallback);
      usedDefault = true;
    }
    if (multiByteSize > 0) {
      if (produced == std::size_t(multiByteSize)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
      }
      multiByte[produced] = static_cast<char>(*byte);
    }
    ++produced;
  }
  if (usedDefaultChar) *usedDefaultChar = usedDefault ? TRUE : FALSE;
  return static_cast<int>(produced);
}

int HostPlatform::MultiByteToWideChar(UINT codePage, DWORD, const char* multiByte,
                                      int multiByteCount, char16_t* wide, int wideSize) {
  if (!IsAnsiCodePage(codePage) || !multiByte || multiByteCount == 0 || multiByteCount < -1 ||
      wideSize < 0 || (wideSize > 0 && !wide)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::size_t count = multiByteCount == -1 ? std::char_traits<char>::length(multiByte) + 1
                                                 : std::size_t(multiByteCount);
  if (wideSize == 0) return static_cast<int>(count);
  for (std::size_t i = 0; i < count; ++i) {
    if (i == std::size_t(wideSize)) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    wide[i] = Cp1252ToUnit(static_cast<unsigned char>(multiByte[i]));
  }
  return static_cast<int>(count);
}

UINT HostPlatform::GetACP() { return CP_WINDOWS_1252; }

}  // namespace spoolhook
