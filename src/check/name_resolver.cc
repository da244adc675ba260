#include "check/name_resolver.h"

#include "platform/file_system.h"
#include "platform/path.h"
#include "text/text.h"

namespace korven {

namespace {

// The form in which a name and a listed component are compared.
std::string KeyOf(std::string_view name) { return UpperAscii(Shown(std::string(name))); }

const NameCache::NamesByKey& NamesOf(FileSystem& fs, NameCache* cache, const std::string& dir) {
  auto [at, added] = cache->directories.try_emplace(dir);
  if (added) {
    std::vector<std::string> names;
    // The current directory is searched by a name of its own.
    if (fs.ListNames(dir.empty() ? std::string(".") + kPathSeparator : dir, &names)) {
      for (std::string& entry : names) at->second[KeyOf(entry)].push_back(std::move(entry));
    }
  }
  return at->second;
}

// Of names that differ only in case, the one that is a directory (or, for
// the name's last component, the one that is not); null when that is not
// exactly one.
const std::string* OnlyOfKind(FileSystem& fs, const std::string& dir, const std::vector<std::string>& names,
                              bool directory) {
  const std::string* only = nullptr;
  for (const std::string& name : names) {
    FindEntry entry;
    if (!fs.LookUp(dir + name, &entry) || entry.IsDirectory() != directory) continue;
    if (only != nullptr) return nullptr;
    only = &name;
  }
  return only;
}

}  // namespace

Resolution ResolveName(FileSystem& fs, NameCache* cache, const std::string& base, std::string_view name,
                       std::string* path) {
  const size_t root = RootLength(name);
  std::string resolved = root > 0 ? std::string(name.substr(0, root)) : base;
  size_t at = root;
  bool first = true;
  while (at < name.size()) {
    size_t end = at;
    while (end < name.size() && !IsPathSeparator(name[end])) ++end;
    const std::string_view component = name.substr(at, end - at);
    at = end + 1;
    if (component.empty()) continue;
    if (!first) resolved += kPathSeparator;
    first = false;
    if (component == "." || component == "..") {
      resolved += component;
      continue;
    }
    const NameCache::NamesByKey& names = NamesOf(fs, cache, resolved);
    auto match = names.find(KeyOf(component));
    if (match == names.end()) return Resolution::kMissing;
    const std::string* chosen = &match->second.front();
    if (match->second.size() > 1) {
      chosen = OnlyOfKind(fs, resolved, match->second, at < name.size());
      if (chosen == nullptr) return Resolution::kAmbiguous;
    }
    resolved += *chosen;
  }
  if (first) return Resolution::kMissing;
  *path = std::move(resolved);
  return Resolution::kFound;
}

}  // namespace korven
