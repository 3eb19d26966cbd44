#include "play_log.h"

namespace spoolhook::play {
namespace {

void AppendUtf8(std::string& out, char32_t point) {
  if (point < 0x80) {
    out += static_cast<char>(point);
  } else if (point < 0x800) {
    out += static_cast<char>(0xC0 | (point >> 6));
    out += static_cast<char>(0x80 | (point & 0x3F));
  } else if (point < 0x10000) {
    out += static_cast<char>(0xE0 | (point >> 12));
    out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (point & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (point >> 18));
    out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (point & 0x3F));
  }
}

void AppendEscape(std::string& out, char16_t unit) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The short escapes JSON has; every other control character takes \u.
const char* ShortEscape(char16_t unit) {
  switch (unit) {
    case u'"':
      return "\\\"";
    case u'\\':
      return "\\\\";
    case u'\b':
      return "\\b";
    case u'\f':
      return "\\f";
    case u'\n':
      return "\\n";
    case u'\r':
      return "\\r";
    case u'\t':
      return "\\t";
    default:
      return nullptr;
  }
}

std::string Number(std::optional<std::uint32_t> value) {
  return value ? std::to_string(*value) : "null";
}

}  // namespace

std::string JsonString(std::u16string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (const char* escape = ShortEscape(unit)) {
      out += escape;
    } else if (unit < 0x20) {
      AppendEscape(out, unit);
    } else if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      AppendUtf8(out, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      AppendEscape(out, unit);
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out + "\"";
}

void PlayLog::Call(const CallEvent& event) {
  std::string line = R"({"event":"call","n":)" + std::to_string(event.n) + R"(,"fn":")" +
                     std::string(event.fn) + '"';
  if (event.writePrinter) line += R"(,"id":)" + Number(event.id);
  if (event.result) line += std::string(R"(,"result":)") + (*event.result ? "true" : "false");
  if (event.writePrinter) line += R"(,"written":)" + Number(event.written);
  Line(line + "}");
}

void PlayLog::Popup(std::u16string_view to, std::u16string_view text) {
  Line(R"({"event":"popup","to":)" + JsonString(to) + R"(,"text":)" + JsonString(text) + "}");
}

void PlayLog::Line(const std::string& line) {
  if (!file_) return;
  std::lock_guard<std::mutex> lock(mutex_);
  const bool written = std::fwrite(line.data(), 1, line.size(), file_) == line.size() &&
                       std::fputc('\n', file_) != EOF && std::fflush(file_) == 0;
  ok_ = ok_ && written;
}

}  // namespace spoolhook::play
