#include "platform/system_info.h"

#include <sys/utsname.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/file_system.h"

namespace torvic::platform {

namespace {

std::string ReadSmallFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// One value of an os-release line as the shell would read it: quotes
// removed, backslash escapes inside double quotes resolved.
std::string Unquote(std::string_view v) {
  std::string out;
  char quote = 0;
  for (size_t i = 0; i < v.size(); ++i) {
    const char c = v[i];
    if (quote) {
      if (c == quote) quote = 0;
      else if (quote == '"' && c == '\\' && i + 1 < v.size()) out.push_back(v[++i]);
      else out.push_back(c);
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '\\' && i + 1 < v.size()) {
      out.push_back(v[++i]);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

// The value of `key` in an os-release text, or empty.
std::string OsReleaseValue(std::string_view text, std::string_view key) {
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    if (line.size() > key.size() && line.substr(0, key.size()) == key && line[key.size()] == '=')
      return Unquote(line.substr(key.size() + 1));
  }
  return {};
}

}  // namespace

std::string OsReleaseName(std::string_view text) {
  std::string name = OsReleaseValue(text, "PRETTY_NAME");
  if (!name.empty()) return name;
  name = OsReleaseValue(text, "NAME");
  std::string version = OsReleaseValue(text, "VERSION");
  if (version.empty()) version = OsReleaseValue(text, "VERSION_ID");
  if (!name.empty() && !version.empty()) name += ' ';
  return name + version;
}

std::string HostDescription() {
  // Where the distribution keeps it, and where it may leave it alone.
  std::string text = ReadSmallFile("/etc/os-release");
  if (text.empty()) text = ReadSmallFile("/usr/lib/os-release");
  std::string description = OsReleaseName(text);
  utsname u{};
  if (::uname(&u) == 0) {
    if (!description.empty()) description += ", ";
    description += std::string(u.sysname) + " " + u.release + " " + u.version;
  }
  return description.empty() ? std::string("Linux") : description;
}

std::optional<LocalTime> ExecutableTime() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  FileInfo info;
  if (ec || Inspect(exe.string(), info) != 0) return std::nullopt;
  return info.lastWrite;
}

DesktopSettings& Desktop() {
  static DesktopSettings settings;
  return settings;
}

int KeyboardDelaySetting(uint32_t delayMs) {
  return std::clamp(static_cast<int>(std::lround(delayMs / 250.0)) - 1, 0, 3);
}

int KeyboardSpeedSetting(uint32_t intervalMs) {
  if (intervalMs == 0) return 31;
  const double perSecond = 1000.0 / intervalMs;
  return std::clamp(static_cast<int>(std::lround((perSecond - 2.5) * 31 / 27.5)), 0, 31);
}

}  // namespace torvic::platform
