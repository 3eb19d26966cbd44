#include "platform/host/host_text.h"

namespace spoolhook {
namespace {

// Ranges of lower-case letters and how far their capitals lie below them. Letters of Latin
// Extended-A come in pairs, capital first: `pairs` marks them.
struct LowerCaseRange {
  char16_t first;
  char16_t last;
  char16_t offset;
  bool pairs;
};

constexpr LowerCaseRange kLowerCaseRanges[] = {
    {u'a', u'z', 0x20, false},     {0x00E0, 0x00F6, 0x20, false}, {0x00F8, 0x00FE, 0x20, false},
    {0x0100, 0x0137, 1, true},     {0x0139, 0x0148, 1, true},     {0x014A, 0x0177, 1, true},
    {0x0179, 0x017E, 1, true},     {0x03B1, 0x03C1, 0x20, false}, {0x03C2, 0x03C2, 0x1F, false},
    {0x03C3, 0x03CB, 0x20, false}, {0x0430, 0x044F, 0x20, false}, {0x0450, 0x045F, 0x50, false},
};

char16_t FoldUnit(char16_t unit) {
  if (unit == 0x00FF) return 0x0178;  // the capital of y with diaeresis lies elsewhere
  for (const LowerCaseRange& range : kLowerCaseRanges) {
    if (unit < range.first || unit > range.last) continue;
    // In a range of pairs the capital comes first, so only the second of a pair folds.
    if (range.pairs && (unit - range.first) % 2 == 0) return unit;
    return static_cast<char16_t>(unit - range.offset);
  }
  return unit;
}

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::u16string FoldCase(std::u16string_view text) {
  std::u16string folded(text);
  for (char16_t& unit : folded) unit = FoldUnit(unit);
  return folded;
}

std::optional<std::string> Utf16ToUtf8(std::u16string_view text) {
  std::string utf8;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t code = text[i];
    if (IsLowSurrogate(code)) return std::nullopt;
    if (IsHighSurrogate(code)) {
      if (i + 1 == text.size() || !IsLowSurrogate(text[i + 1])) return std::nullopt;
      code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    if (code < 0x80) {
      utf8.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      utf8.push_back(static_cast<char>(0xC0 | (code >> 6)));
      utf8.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      utf8.push_back(static_cast<char>(0xE0 | (code >> 12)));
      utf8.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      utf8.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      utf8.push_back(static_cast<char>(0xF0 | (code >> 18)));
      utf8.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      utf8.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      utf8.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return utf8;
}

std::optional<std::u16string> Utf8ToUtf16(std::string_view text) {
  std::u16string utf16;
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    const int length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || i + length > text.size()) return std::nullopt;
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
      const unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      code = (code << 6) | (next & 0x3F);
    }
    i += length;
    if (code > 0x10FFFF || IsHighSurrogate(code) || IsLowSurrogate(code)) return std::nullopt;
    if (code >= 0x10000) {
      utf16.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
      utf16.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
    } else {
      utf16.push_back(static_cast<char16_t>(code));
    }
  }
  return utf16;
}

std::u16string CopyText(const char16_t* text) { return text ? std::u16string(text) : u""; }

}  // namespace spoolhook
