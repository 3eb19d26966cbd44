#include "platform/host/host_paths.h"

#include <algorithm>
#include <system_error>

#include "platform/host/host_text.h"

namespace spoolhook {
namespace {

namespace fs = std::filesystem;

constexpr std::u16string_view kForbiddenInNames = u"<>:\"|?*";

bool IsValidName(std::u16string_view name) {
  for (char16_t unit : name) {
    if (unit < 0x20 || kForbiddenInNames.find(unit) != std::u16string_view::npos) return false;
  }
  return Utf16ToUtf8(name).has_value();
}

bool IsAsciiLetter(char16_t unit) {
  return (unit >= u'A' && unit <= u'Z') || (unit >= u'a' && unit <= u'z');
}

// The text before the next separator, which is consumed with it.
std::u16string_view TakeName(std::u16string_view& rest) {
  const std::size_t end = std::min(rest.find(u'\\'), rest.size());
  const std::u16string_view name = rest.substr(0, end);
  rest.remove_prefix(std::min(end + 1, rest.size()));
  return name;
}

// The entry of `folder` called `name` ignoring case; the exact name when none exists.
fs::path FindEntry(const fs::path& folder, std::u16string_view name) {
  const fs::path exact = folder / Utf16ToUtf8(name).value_or(std::string());
  std::error_code error;
  if (fs::exists(fs::symlink_status(exact, error))) return exact;
  const std::u16string wanted = FoldCase(name);
  for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error)) {
    const auto entryName = Utf8ToUtf16(entry->path().filename().string());
    if (entryName && FoldCase(*entryName) == wanted) return entry->path();
  }
  return exact;
}

}  // namespace

std::u16string WindowsPath::Text() const {
  std::u16string text = volume;
  for (const std::u16string& component : components) text += u"\\" + component;
  if (components.empty()) text += u"\\";
  return text;
}

DWORD ParseWindowsPath(std::u16string_view text, const WindowsPath& current, WindowsPath& path) {
  std::u16string normal(text);
  std::replace(normal.begin(), normal.end(), u'/', u'\\');
  if (normal.empty()) return ERROR_PATH_NOT_FOUND;
  std::u16string_view rest = normal;
  WindowsPath parsed;
  if (rest.starts_with(u"\\\\")) {
    rest.remove_prefix(2);
    const std::u16string_view server = TakeName(rest);
    const std::u16string_view share = TakeName(rest);
    if (server.empty() || share.empty()) return ERROR_PATH_NOT_FOUND;
    for (std::u16string_view name : {server, share}) {
      if (!IsValidName(name) || name == u"." || name == u"..") return ERROR_INVALID_NAME;
    }
    parsed.volume = u"\\\\" + std::u16string(server) + u"\\" + std::u16string(share);
  } else if (rest.size() >= 2 && rest[1] == u':') {
    if (!IsAsciiLetter(rest[0])) return ERROR_INVALID_NAME;
    parsed.volume = {static_cast<char16_t>(rest[0] & ~0x20), u':'};
    rest.remove_prefix(2);
    if (!rest.starts_with(u'\\') && parsed.volume == current.volume) {
      parsed.components = current.components;
    }
  } else {
    parsed.volume = current.volume;
    if (!rest.starts_with(u'\\')) parsed.components = current.components;
  }
  while (!rest.empty()) {
    const std::u16string_view name = TakeName(rest);
    if (name.empty() || name == u".") continue;
    if (name == u"..") {
      if (!parsed.components.empty()) parsed.components.pop_back();
      continue;
    }
    if (!IsValidName(name)) return ERROR_INVALID_NAME;
    parsed.components.emplace_back(name);
  }
  parsed.trailingSeparator = normal.back() == u'\\' && !parsed.components.empty();
  path = std::move(parsed);
  return ERROR_SUCCESS;
}

fs::path HostVolumeFolder(const fs::path& root, const WindowsPath& path) {
  std::u16string_view rest = path.volume;
  if (!rest.starts_with(u"\\\\")) return root / std::string(1, static_cast<char>(rest[0]));
  rest.remove_prefix(2);
  const std::u16string_view server = TakeName(rest);
  return FindEntry(FindEntry(root / "UNC", server), rest);
}

fs::path HostPathOf(const fs::path& root, const WindowsPath& path) {
  fs::path host = HostVolumeFolder(root, path);
  for (const std::u16string& component : path.components) host = FindEntry(host, component);
  return host;
}

}  // namespace spoolhook
