// Which entries of a directory search the main pass lists: files whose path
// fits and whose names match none of the exclusion types. The walk and the
// search ahead of it decide alike.
#ifndef KORVEN_WALK_EXCLUSION_H_
#define KORVEN_WALK_EXCLUSION_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace korven {

struct FindEntry;
struct Run;

// The walker's path buffers hold this many characters with the terminator.
constexpr size_t kPathBufferSize = 10400;

// Whether `path` followed by `name` fits the path buffers; longer paths are
// skipped, never cut.
inline bool FitsPathBuffer(const std::string& path, std::string_view name) {
  return path.size() + name.size() < kPathBufferSize;
}

// "." and "..", which name no subdirectory to walk.
inline bool IsDotEntry(const std::string& name) { return name == "." || name == ".."; }

// True when the bare file name `name` matches a pattern of the exclusion list.
// The name is matched as if upper case unless excludeKeepCase is set, as the
// closing rules upper-case the patterns.
bool IsExcluded(Run& run, const std::string& name);

// True when `entry` of directory `dir` is a file the main pass lists.
bool IsListedFile(Run& run, const std::string& dir, const FindEntry& entry);

}  // namespace korven

#endif  // KORVEN_WALK_EXCLUSION_H_
