#include "config/search_lists.h"

#include <algorithm>
#include <vector>

#include "platform/file_system.h"
#include "platform/path.h"
#include "run/run.h"
#include "run/run_settings.h"
#include "text/text.h"

namespace korven {

namespace {

bool HasWildcard(const std::string& text) { return text.find_first_of("*?") != std::string::npos; }

// The directory of "dir/name": "dir", except that a root or a drive keeps
// its last character ("/", "C:\\", "C:"), since without it it names something else.
std::string DirectoryPart(const std::string& word, size_t nameStart) {
  if (nameStart == 0) return "";
  std::string dir = word.substr(0, nameStart - 1);
  bool drive = DriveIndex(word) >= 0 && nameStart <= 3;
  return dir.empty() || drive ? word.substr(0, nameStart) : dir;
}

std::string AddTo(std::vector<std::string>& list, const std::string& entry, const char* what) {
  if (list.size() >= static_cast<size_t>(kMaxListEntries)) {
    return Format("\nYou have too many %s.\nMax %s is %d\n", what, what, kMaxListEntries);
  }
  list.push_back(entry);
  return "";
}

}  // namespace

std::string AddSearchPath(Run& run, const std::string& path) {
  return AddTo(run.values.searchPaths, path, "search paths");
}

std::string AddSearchType(Run& run, const std::string& type) {
  // A type selects names in the directory searched; a separator would name another.
  auto separator = std::find_if(type.begin(), type.end(), IsPathSeparator);
  if (separator != type.end()) return Format("Can't have a %c in the file type option\n", *separator);
  return AddTo(run.values.searchTypes, type, "file types");
}

std::string AddExcludeType(Run& run, const std::string& type) {
  if (run.values.excludeTypes.size() >= static_cast<size_t>(kMaxListEntries)) {
    return Format("\nYou have too many -eXclude file types.\nMax exclude types is %d\n",
                  kMaxListEntries);
  }
  run.settings.excludeOn = 1;
  run.values.excludeTypes.push_back(type);
  return "";
}

std::string AddBareWord(Run& run, const std::string& word) {
  size_t nameStart = NameStart(word);
  std::string name = word.substr(nameStart);
  bool splits = HasWildcard(name);
  if (!splits && !name.empty()) {
    FindEntry entry;
    splits = run.fs.LookUp(word, &entry) && !entry.IsDirectory();
  }
  if (!splits) return AddSearchPath(run, word);

  std::string dir = DirectoryPart(word, nameStart);
  if (!dir.empty()) {
    std::string refused = AddSearchPath(run, dir);
    if (!refused.empty()) return refused;
  }
  return AddSearchType(run, name);
}

}  // namespace korven
