// The directories a walk is in, read once each, with descriptors through
// which their files are opened by name.
#ifndef KORVEN_PLATFORM_POSIX_DIRECTORY_CACHE_H_
#define KORVEN_PLATFORM_POSIX_DIRECTORY_CACHE_H_

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_system.h"

namespace korven {

// A path as the *at calls take it: a directory descriptor and a name under
// it. Every path the kernel is handed this way fits its path limit, however
// long the whole path is. Closes the descriptor when it was opened for this
// path alone.
class AtPath {
 public:
  AtPath(int dir, const char* name, bool ownsDir) : dir_(dir), name_(name), ownsDir_(ownsDir) {}
  ~AtPath();
  AtPath(const AtPath&) = delete;
  AtPath& operator=(const AtPath&) = delete;

  int dir() const { return dir_; }
  const char* name() const { return name_; }

 private:
  int dir_;
  const char* name_;
  bool ownsDir_;
};

class DirectoryCache {
 public:
  struct Directory {
    std::string path;  // ends in '/'
    FindDetail detail = FindDetail::kTypes;
    std::vector<FindEntry> entries;  // every listable entry, in find order
    int fd = -1;                     // -1 while it has given its descriptor up
    FileId id;                       // which directory it is, once it has given it up
  };

  ~DirectoryCache() { Forget(); }

  // The entries of `dir` (ending in '/') with at least `detail`: those read
  // before while `dir` stayed on the walk path, else read now. Directories
  // that are neither `dir` nor its ancestors are dropped first, so memory
  // and descriptors stay bounded by the depth of the walk. Null when the
  // directory can't be read.
  const Directory* Read(const std::string& dir, FindDetail detail);
  void Forget();

  // Declares that one thread alone uses this cache, which may then keep a
  // descriptor of the directory whose file it opened last: a thread reading
  // the files of one directory after another opens each under it.
  void ServeOneThread() { oneThread_ = true; }
  bool ServesOneThread() const { return oneThread_; }

  // `path` for the *at calls; `path` must outlive the result. A file of the
  // directory read last is named under that directory's descriptor, so
  // opening it costs no walk of the whole path. Threads other than the one
  // that reads directories, which closes descriptors as it goes, are given
  // paths from the top, unless one thread alone uses the cache.
  AtPath Resolve(const std::string& path) const;

 private:
  // Opens directory `dir` for reading; -1 when it can't be.
  int OpenDirectory(const std::string& dir) const;
  // Gives up the descriptors of the shallowest directories beyond the most kept.
  void KeepFewDescriptors();
  void ForgetLastFileDirectory() const;
  // Keeps the room of `entries`, of a directory that left the walk path,
  // for the next directory read, unless it is huge; the entries go.
  void KeepRoomOf(std::vector<FindEntry>* entries);
  // Opens again the directory at the end of the walk path, which gave its
  // descriptor up, as ".." of `child`, the descriptor of the directory the
  // walk just left, when that is still the same directory; else by its path.
  void Reopen(int child);

  // The walk path: each directory's path begins with the path of the one
  // before it.
  std::vector<Directory> chain_;
  // Empty, with the room of the entries of the directory that left the walk
  // path last, which the next directory read fills.
  std::vector<FindEntry> spareEntries_;
  // The thread that reads directories, the only one to use chain_.
  std::atomic<std::thread::id> reader_{};
  bool oneThread_ = false;
  // With oneThread_, the directory of the file opened last, when it is not
  // on the walk path, kept open for the files after it.
  mutable std::string lastFileDirectory_;
  mutable int lastFileDirectoryFd_ = -1;
};

}  // namespace korven

#endif  // KORVEN_PLATFORM_POSIX_DIRECTORY_CACHE_H_
