#include "platform/win32/wide_names.h"

#include <algorithm>

#include "platform/win32/ansi_text.h"

namespace korven {

namespace {

// The longest path the plain form takes: a directory leaves room for an 8.3 name.
constexpr size_t kPlainPathLimit = MAX_PATH - 12;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// "\\?\" and "\\.\" begin a path with a '?' or '.' that is no name.
size_t DevicePrefixLength(std::wstring_view path) {
  bool prefixed = path.size() >= 4 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
                  (path[2] == L'?' || path[2] == L'.') && IsSeparator(path[3]);
  return prefixed ? 4 : 0;
}

}  // namespace

std::wstring LongForm(const std::wstring& path, const std::wstring& tail) {
  if (path.size() + tail.size() < kPlainPathLimit || DevicePrefixLength(path) != 0) return path + tail;
  DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path + tail;
  std::wstring full(needed, L'\0');
  DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return path + tail;
  full.resize(length);
  if (DevicePrefixLength(full) != 0) return full + tail;
  if (full.size() >= 2 && IsSeparator(full[0]) && IsSeparator(full[1])) {
    return L"\\\\?\\UNC\\" + full.substr(2) + tail;
  }
  return L"\\\\?\\" + full + tail;
}

bool ForEachFound(const std::wstring& pattern, const std::function<void(const WIN32_FIND_DATAW&)>& each) {
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  do {
    each(data);
  } while (FindNextFileW(search, &data));
  FindClose(search);
  return true;
}

WideNames::Directory& WideNames::TableOf(const std::wstring& shown, const std::wstring& wide, bool refresh) {
  auto table = std::find_if(tables_.begin(), tables_.end(),
                            [&shown](const Directory& directory) { return directory.shown == shown; });
  if (table != tables_.end() && !refresh) return *table;
  if (table == tables_.end()) {
    tables_.push_back(Directory{shown, wide, {}});
    table = tables_.end() - 1;
  }
  table->names.clear();
  ForEachFound(LongForm(wide, L"*"), [table](const WIN32_FIND_DATAW& found) {
    bool lossy = false;
    std::wstring shownName = WideFrom(CP_ACP, AnsiFrom(found.cFileName, &lossy));
    if (!lossy) return;
    auto [entry, added] = table->names.emplace(std::move(shownName), found.cFileName);
    if (!added) entry->second.clear();
  });
  return *table;
}

bool WideNames::Resolve(std::string_view path, std::wstring* wide) {
  std::wstring shown = WideFrom(CP_ACP, path);
  const size_t start = DevicePrefixLength(shown);
  if (shown.find(L'?', start) == std::wstring::npos) {
    *wide = std::move(shown);
    return true;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  std::wstring shownSoFar = shown.substr(0, start);
  std::wstring wideSoFar = shownSoFar;
  for (size_t at = start; at < shown.size();) {
    size_t end = std::find_if(shown.begin() + static_cast<ptrdiff_t>(at), shown.end(), IsSeparator) - shown.begin();
    std::wstring name = shown.substr(at, end - at);
    if (name.find(L'?') == std::wstring::npos) {
      wideSoFar += name;
    } else {
      // A table made before the object was can miss it: made again once.
      Directory* table = &TableOf(shownSoFar, wideSoFar, false);
      if (table->names.count(name) == 0) table = &TableOf(shownSoFar, wideSoFar, true);
      auto found = table->names.find(name);
      if (found == table->names.end() || found->second.empty()) return false;
      wideSoFar += found->second;
    }
    shownSoFar += name;
    if (end < shown.size()) {
      shownSoFar += shown[end];
      wideSoFar += shown[end];
    }
    at = end + 1;
  }
  *wide = std::move(wideSoFar);
  return true;
}

bool WideNames::BeginSearch(std::string_view dir, std::wstring* wideDir) {
  const std::wstring shown = WideFrom(CP_ACP, dir);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    std::erase_if(tables_, [&shown](const Directory& directory) { return !shown.starts_with(directory.shown); });
  }
  return Resolve(dir, wideDir);
}

std::string WideNames::ShownName(std::string_view dir, const std::wstring& wideDir, const WIN32_FIND_DATAW& found) {
  bool lossy = false;
  std::string name = AnsiFrom(found.cFileName, &lossy);
  if (!lossy) return name;
  const std::wstring shownDir = WideFrom(CP_ACP, dir);
  const std::wstring shownName = WideFrom(CP_ACP, name);
  std::lock_guard<std::mutex> lock(mutex_);
  Directory* table = &TableOf(shownDir, wideDir, false);
  auto known = table->names.find(shownName);
  if (known == table->names.end() || (!known->second.empty() && known->second != found.cFileName)) {
    table = &TableOf(shownDir, wideDir, true);
    known = table->names.find(shownName);
  }
  if (known != table->names.end() && known->second.empty()) {
    bool aliasLossy = false;
    std::string alias = AnsiFrom(found.cAlternateFileName, &aliasLossy);
    if (!alias.empty() && !aliasLossy) return alias;
  }
  return name;
}

void WideNames::Forget() {
  std::lock_guard<std::mutex> lock(mutex_);
  tables_.clear();
}

}  // namespace korven
