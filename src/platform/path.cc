#include "platform/path.h"

#include <algorithm>

namespace korven {

namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool BeginsWithDrive(std::string_view path) {
  return kHasDriveLetters && path.size() >= 2 && path[1] == ':' && IsAsciiLetter(path[0]);
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

}  // namespace korven
