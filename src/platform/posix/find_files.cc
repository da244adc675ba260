// Directory search on POSIX: one read of a directory serves the walk and every
// file type, names are selected with the Win32 wildcard rules and returned in
// NTFS order, and a file costs a statx only when full entries are asked for.
#include <dirent.h>

#include <string>
#include <vector>

#include "platform/posix/find_record.h"
#include "platform/posix/posix_file_system.h"
#include "platform/wildcard_match.h"

namespace korven {

bool PosixFileSystem::FindFiles(const std::string& dir, const std::string& pattern, FindDetail detail,
                                std::vector<FindEntry>* found) {
  found->clear();
  const DirectoryCache::Directory* read =
      directories_.Read(dir.empty() ? "./" : dir.back() == '/' ? dir : dir + '/', detail);
  if (read == nullptr) return false;
  if (MatchesEveryName(pattern)) {
    // The walk and the default type ask for everything: one copy, no matching.
    *found = read->entries;
  } else {
    for (const FindEntry& entry : read->entries) {
      if (WildcardMatch(pattern, entry.name)) found->push_back(entry);
    }
  }
  return !found->empty();
}

void PosixFileSystem::ForgetDirectories() { directories_.Forget(); }

// Names only: no entry is looked at, so links to directories are among them.
bool PosixFileSystem::ListNames(const std::string& dir, std::vector<std::string>* names) {
  names->clear();
  DIR* stream = opendir(dir.c_str());
  if (stream == nullptr) return false;
  while (const struct dirent* d = readdir(stream)) {
    std::string name = d->d_name;
    if (name != "." && name != "..") names->push_back(std::move(name));
  }
  closedir(stream);
  return true;
}

bool PosixFileSystem::LookUp(const std::string& path, FindEntry* entry) {
  size_t slash = path.find_last_of('/');
  entry->name = slash == std::string::npos ? path : path.substr(slash + 1);
  entry->shortName.clear();
  AtPath at = directories_.Resolve(path);
  return StatAt(at.dir(), at.name(), false, entry);
}

}  // namespace korven
