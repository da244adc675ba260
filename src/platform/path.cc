#include "platform/path.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "text/text.h"

namespace korven {

namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool BeginsWithDrive(std::string_view path) {
  return kHasDriveLetters && path.size() >= 2 && path[1] == ':' && IsAsciiLetter(path[0]);
}

// Where the component that begins at `from` ends: at the next separator or the end.
size_t ComponentEnd(std::string_view path, size_t from) {
  while (from < path.size() && !IsPathSeparator(path[from])) ++from;
  return from;
}

// The components after the root, without empty ones.
std::vector<std::string_view> Components(std::string_view path) {
  std::vector<std::string_view> parts;
  size_t at = RootLength(path);
  while (at < path.size()) {
    size_t end = ComponentEnd(path, at);
    if (end > at) parts.push_back(path.substr(at, end - at));
    at = end + 1;
  }
  return parts;
}

// Names compare as the platform's file systems compare them: on Win32
// without regard to the case of ASCII letters.
bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  if (!kIsWin32) return a == b;
  for (size_t i = 0; i < a.size(); ++i) {
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  }
  return true;
}

std::string Joined(std::string text, const std::vector<std::string_view>& parts) {
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) text += kPathSeparator;
    text += parts[i];
  }
  return text;
}

}  // namespace

bool IsPathSeparator(char c) { return c == kPathSeparator || c == '/'; }

size_t NameStart(std::string_view path) {
  for (size_t i = path.size(); i > 0; --i) {
    if (IsPathSeparator(path[i - 1]) || (i == 2 && BeginsWithDrive(path))) return i;
  }
  return 0;
}

bool IsRoot(std::string_view path) {
  if (BeginsWithDrive(path)) path.remove_prefix(2);
  return !path.empty() && std::all_of(path.begin(), path.end(), IsPathSeparator);
}

std::string WithTrailingSeparator(std::string path) {
  if (path.empty() || path.back() != kPathSeparator) path += kPathSeparator;
  return path;
}

int DriveIndex(std::string_view path) {
  if (!BeginsWithDrive(path)) return -1;
  char letter = path[0];
  return (letter >= 'a' ? letter - 'a' : letter - 'A');
}

std::string WithUpperDriveLetter(std::string path) {
  if (kHasDriveLetters && !path.empty() && path[0] >= 'a' && path[0] <= 'z') {
    path[0] = static_cast<char>(path[0] - 'a' + 'A');
  }
  return path;
}

std::string DriveRootOf(std::string_view path) {
  if (!kHasDriveLetters || path.empty()) return "";
  return std::string{path.front(), ':', kPathSeparator};
}

std::string PathHead(std::string_view path) {
  if (kHasDriveLetters) return std::string(path.substr(0, 2)) + kPathSeparator;
  return !path.empty() && path[0] == kPathSeparator ? std::string(1, kPathSeparator) : std::string();
}

size_t RootLength(std::string_view path) {
  if (!kIsWin32) return !path.empty() && path[0] == kPathSeparator ? 1 : 0;
  if (BeginsWithDrive(path)) return path.size() > 2 && IsPathSeparator(path[2]) ? 3 : 2;
  if (path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1])) {
    size_t server = ComponentEnd(path, 2);
    size_t share = server < path.size() ? ComponentEnd(path, server + 1) : server;
    return share < path.size() ? share + 1 : share;
  }
  return !path.empty() && IsPathSeparator(path[0]) ? 1 : 0;
}

std::string LexicallyNormal(std::string_view path) {
  const size_t root = RootLength(path);
  std::vector<std::string_view> kept;
  for (std::string_view part : Components(path)) {
    if (part == ".") continue;
    if (part == "..") {
      if (!kept.empty() && kept.back() != "..") {
        kept.pop_back();
        continue;
      }
      if (root > 0) continue;  // nothing lies above a root
    }
    kept.push_back(part);
  }
  std::string normal = Joined(std::string(path.substr(0, root)), kept);
  return normal.empty() ? "." : normal;
}

std::string RelativePath(std::string_view from, std::string_view to) {
  const size_t fromRoot = RootLength(from);
  const size_t toRoot = RootLength(to);
  if (!SameName(from.substr(0, fromRoot), to.substr(0, toRoot))) return std::string(to);
  const std::vector<std::string_view> fromParts = Components(from);
  const std::vector<std::string_view> toParts = Components(to);
  size_t common = 0;
  while (common < fromParts.size() && common < toParts.size() &&
         SameName(fromParts[common], toParts[common])) {
    ++common;
  }
  std::vector<std::string_view> steps(fromParts.size() - common, "..");
  steps.insert(steps.end(), toParts.begin() + static_cast<std::ptrdiff_t>(common), toParts.end());
  return steps.empty() ? "." : Joined("", steps);
}

std::string AbsolutePath(std::string_view base, std::string_view path) {
  if (RootLength(path) > 0) return LexicallyNormal(path);
  std::string joined(base);
  joined += kPathSeparator;
  joined += path;
  return LexicallyNormal(joined);
}

}  // namespace korven
