#include <windows.h>

#include "platform/win32/file_time.h"
#include "platform/win32/win32_file_system.h"

namespace korven {
namespace {

FindEntry ToFindEntry(const WIN32_FIND_DATAA& data) {
  FindEntry entry;
  entry.name = data.cFileName;
  entry.shortName = data.cAlternateFileName;
  entry.attributes = data.dwFileAttributes;
  entry.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  entry.times.creation = FromFileTime(data.ftCreationTime);
  entry.times.access = FromFileTime(data.ftLastAccessTime);
  entry.times.write = FromFileTime(data.ftLastWriteTime);
  return entry;
}

}  // namespace

// The platform matches the wildcard and orders the entries itself.
bool Win32FileSystem::FindFiles(const std::string& dir, const std::string& pattern, FindDetail,
                                std::vector<FindEntry>* found) {
  found->clear();
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA((dir + pattern).c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  do {
    found->push_back(ToFindEntry(data));
  } while (FindNextFileA(search, &data));
  FindClose(search);
  return true;
}

bool Win32FileSystem::LookUp(const std::string& path, FindEntry* entry) {
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(path.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  *entry = ToFindEntry(data);
  return true;
}

}  // namespace korven
