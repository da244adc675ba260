#include <windows.h>

#include "platform/path.h"
#include "platform/win32/ansi_text.h"
#include "platform/win32/file_time.h"
#include "platform/win32/wide_names.h"
#include "platform/win32/win32_file_system.h"

namespace korven {
namespace {

FindEntry ToFindEntry(const WIN32_FIND_DATAW& data, std::string name) {
  FindEntry entry;
  entry.name = std::move(name);
  entry.shortName = AnsiFrom(data.cAlternateFileName);
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
  std::wstring wideDir;
  if (!names_.BeginSearch(dir, &wideDir)) return false;
  ForEachFound(LongForm(wideDir, WideFrom(CP_ACP, pattern)), [&](const WIN32_FIND_DATAW& data) {
    found->push_back(ToFindEntry(data, names_.ShownName(dir, wideDir, data)));
  });
  return !found->empty();
}

void Win32FileSystem::ForgetDirectories() { names_.Forget(); }

bool Win32FileSystem::LookUp(const std::string& path, FindEntry* entry) {
  std::wstring wide;
  if (!names_.Resolve(path, &wide)) return false;
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW(LongForm(wide).c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  const std::string_view dir(path.data(), NameStart(path));
  std::wstring wideDir;
  if (!names_.Resolve(dir, &wideDir)) return false;
  *entry = ToFindEntry(data, names_.ShownName(dir, wideDir, data));
  return true;
}

}  // namespace korven
