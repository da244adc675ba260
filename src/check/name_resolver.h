// Finds the file that a listed name stands for. A record shows its name
// upper-cased, so on a file system that tells case apart each component is
// matched without regard to case; a name that matches two entries (two
// files, or two directories on the way) is ambiguous. Each directory is read
// once and kept.
#ifndef KORVEN_CHECK_NAME_RESOLVER_H_
#define KORVEN_CHECK_NAME_RESOLVER_H_

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace korven {

class FileSystem;

enum class Resolution { kFound, kMissing, kAmbiguous };

// The directories read so far, by path: the names of each by their
// upper-cased form (control characters as '?', as a record shows them). A
// directory that can't be read has none.
struct NameCache {
  using NamesByKey = std::unordered_map<std::string, std::vector<std::string>>;
  std::unordered_map<std::string, NamesByKey> directories;
};

// Resolves `name`; a relative one is taken from directory `base` ("" for
// the current directory, else ending in the separator). "." and ".." are
// kept as they stand. With kFound, `path` is the file's path in the case
// found on disk.
Resolution ResolveName(FileSystem& fs, NameCache* cache, const std::string& base, std::string_view name,
                       std::string* path);

}  // namespace korven

#endif  // KORVEN_CHECK_NAME_RESOLVER_H_
