// Directory search on POSIX: one read of a directory serves the walk and every
// file type, names are selected with the Win32 wildcard rules and returned in
// NTFS order, and each entry costs one statx at most.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_time.h"
#include "platform/wildcard_match.h"

namespace korven {

namespace {

constexpr unsigned kStatxWanted = STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_ATIME |
                                  STATX_MTIME | STATX_BTIME;

uint64_t ToFileTime(const struct statx_timestamp& t, uint8_t* subTick) {
  return FileTimeOf(t.tv_sec, t.tv_nsec, subTick);
}

// Fills `entry` from what statx found. False for objects that are never
// listed or walked: FIFOs, sockets and devices (an open could block).
bool FillEntry(const struct statx& st, FindEntry* entry) {
  if (S_ISDIR(st.stx_mode)) {
    entry->attributes = kAttrDirectory;
  } else if (S_ISREG(st.stx_mode)) {
    entry->attributes = kAttrArchive;
  } else {
    return false;
  }
  if ((st.stx_mode & S_IWUSR) == 0) entry->attributes |= kAttrReadOnly;
  if (entry->name.size() > 0 && entry->name.front() == '.') entry->attributes |= kAttrHidden;
  entry->size = entry->IsDirectory() ? 0 : st.stx_size;
  FileTimes& times = entry->times;
  times.write = ToFileTime(st.stx_mtime, &times.writeSubTick);
  times.access = ToFileTime(st.stx_atime, &times.accessSubTick);
  times.creation = 0;
  times.creationSubTick = 0;
  if ((st.stx_mask & STATX_BTIME) != 0) times.creation = ToFileTime(st.stx_btime, &times.creationSubTick);
  return true;
}

// The find record of one directory entry. A link is followed to a file only:
// a link to a directory is never walked (no loops) and a dangling link is
// skipped like a vanished file.
bool StatEntry(int dirFd, const struct dirent& d, FindEntry* entry) {
  entry->name = d.d_name;
  if (entry->name == "." || entry->name == "..") {
    entry->attributes = kAttrDirectory;
    return true;
  }
  switch (d.d_type) {
    case DT_FIFO:
    case DT_SOCK:
    case DT_CHR:
    case DT_BLK:
      return false;
    default:
      break;
  }
  struct statx st;
  // Known links are followed at once; anything else is looked at first.
  int follow = d.d_type == DT_LNK ? 0 : AT_SYMLINK_NOFOLLOW;
  if (statx(dirFd, d.d_name, follow | AT_NO_AUTOMOUNT, kStatxWanted, &st) != 0) return false;
  bool isLink = d.d_type == DT_LNK;
  if (S_ISLNK(st.stx_mode)) {
    isLink = true;
    if (statx(dirFd, d.d_name, AT_NO_AUTOMOUNT, kStatxWanted, &st) != 0) return false;
  }
  if (isLink && S_ISDIR(st.stx_mode)) return false;
  return FillEntry(st, entry);
}

// Every listable entry of `dir`, in find order; false when it can't be read.
// `keepFd` receives a descriptor of the directory when asked for one.
bool ReadDirectory(const std::string& dir, std::vector<FindEntry>* entries, int* keepFd) {
  int dirFd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) return false;
  if (keepFd != nullptr) *keepFd = fcntl(dirFd, F_DUPFD_CLOEXEC, 0);
  DIR* stream = fdopendir(dirFd);
  if (stream == nullptr) {
    close(dirFd);
    return false;
  }
  while (const struct dirent* d = readdir(stream)) {
    FindEntry entry;
    if (StatEntry(dirFd, *d, &entry)) entries->push_back(std::move(entry));
  }
  closedir(stream);
  std::sort(entries->begin(), entries->end(), [](const FindEntry& a, const FindEntry& b) {
    return FindOrderLess(a.name, b.name);
  });
  return true;
}

// Descriptors kept for the directories of a walk: enough for any ordinary
// depth, far below the process's limit.
constexpr size_t kMaxKeptDirectoryFds = 64;

}  // namespace

bool PosixFileSystem::FindFiles(const std::string& dir, const std::string& pattern,
                                std::vector<FindEntry>* found) {
  found->clear();
  // Keep only the listings of `dir` and its ancestors: memory stays bounded
  // by the depth of the walk. A cached path ends in '/', so it is an
  // ancestor exactly when it is a prefix.
  std::erase_if(directoryCache_, [&dir](const CachedDirectory& cached) {
    if (dir.starts_with(cached.path)) return false;
    if (cached.fd >= 0) close(cached.fd);
    return true;
  });
  auto hit = std::find_if(directoryCache_.begin(), directoryCache_.end(),
                          [&dir](const CachedDirectory& cached) { return cached.path == dir; });
  if (hit == directoryCache_.end()) {
    CachedDirectory read;
    read.path = dir;
    bool keepFd = directoryCache_.size() < kMaxKeptDirectoryFds && dir.ends_with('/');
    if (!ReadDirectory(dir, &read.entries, keepFd ? &read.fd : nullptr)) return false;
    directoryCache_.push_back(std::move(read));
    hit = directoryCache_.end() - 1;
  }
  if (MatchesEveryName(pattern)) {
    // The walk and the default type ask for everything: one copy, no matching.
    *found = hit->entries;
  } else {
    for (const FindEntry& entry : hit->entries) {
      if (WildcardMatch(pattern, entry.name)) found->push_back(entry);
    }
  }
  return !found->empty();
}

void PosixFileSystem::ForgetDirectories() {
  for (const CachedDirectory& cached : directoryCache_) {
    if (cached.fd >= 0) close(cached.fd);
  }
  directoryCache_.clear();
}

int PosixFileSystem::DirectoryOf(const std::string& path, const char** name) const {
  *name = path.c_str();
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return AT_FDCWD;
  // The walk asks for files of the directory it read last, at the back.
  for (auto cached = directoryCache_.rbegin(); cached != directoryCache_.rend(); ++cached) {
    if (cached->fd >= 0 && cached->path.size() == slash + 1 && path.compare(0, slash + 1, cached->path) == 0) {
      *name = path.c_str() + slash + 1;
      return cached->fd;
    }
  }
  return AT_FDCWD;
}

bool PosixFileSystem::LookUp(const std::string& path, FindEntry* entry) {
  struct statx st;
  if (statx(AT_FDCWD, path.c_str(), AT_NO_AUTOMOUNT, kStatxWanted, &st) != 0) return false;
  size_t slash = path.find_last_of('/');
  entry->name = slash == std::string::npos ? path : path.substr(slash + 1);
  entry->shortName.clear();
  return FillEntry(st, entry);
}

}  // namespace korven
