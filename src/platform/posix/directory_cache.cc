#include "platform/posix/directory_cache.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <string_view>
#include <utility>

#include "platform/posix/find_record.h"
#include "platform/wildcard_match.h"

namespace korven {

namespace {

// Descriptors kept for the directories of a walk, the deepest ones: enough
// for any ordinary depth, far below the process's limit. A deeper directory
// whose descriptor went is opened again when the walk comes back to it.
constexpr size_t kMaxKeptDirectoryFds = 64;

// Entries a directory read may fill into the room the last directory left.
constexpr size_t kMaxSpareEntries = 4096;

bool IsDotEntry(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The entry of one name a directory read returned, with its type from the
// read where `detail` allows: a file costs a statx only when the read can't
// tell its type or it is a symbolic link to follow. False for objects that
// are never listed or walked: special files, dangling links and links to
// directories (no loops).
bool MakeEntry(int dirFd, const struct dirent64& d, FindDetail detail, FindEntry* entry) {
  entry->name = d.d_name;
  if (IsDotEntry(d.d_name)) {
    entry->attributes = kAttrDirectory;
    return true;
  }
  const bool typesOnly = detail == FindDetail::kTypes;
  switch (d.d_type) {
    case DT_FIFO:
    case DT_SOCK:
    case DT_CHR:
    case DT_BLK:
      return false;
    case DT_DIR:
    case DT_REG:
      if (typesOnly) {
        entry->attributes = d.d_type == DT_DIR ? kAttrDirectory : kAttrArchive;
        if (d.d_name[0] == '.') entry->attributes |= kAttrHidden;
        return true;
      }
      break;
    default:
      break;
  }
  if (!StatAt(dirFd, d.d_name, d.d_type == DT_LNK, entry)) return false;
  return !(entry->IsLink() && entry->IsDirectory());
}

// Every listable entry of the directory open as `fd`, in find order.
bool ReadEntries(int fd, FindDetail detail, std::vector<FindEntry>* entries) {
  alignas(struct dirent64) char buffer[32768];
  for (;;) {
    ssize_t got = getdents64(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) break;
    for (ssize_t at = 0; at < got;) {
      const auto* d = reinterpret_cast<const struct dirent64*>(buffer + at);
      at += d->d_reclen;
      FindEntry entry;
      if (MakeEntry(fd, *d, detail, &entry)) entries->push_back(std::move(entry));
    }
  }
  SortInFindOrder(entries);
  return true;
}

FileId IdOf(int fd) {
  struct statx st;
  if (statx(fd, "", AT_EMPTY_PATH, STATX_INO, &st) != 0) return FileId{};
  return FileId{makedev(st.stx_dev_major, st.stx_dev_minor), st.stx_ino};
}

// The longest run of whole components at the front of `rest` (each ending
// in '/') that the kernel takes in one path.
size_t PieceLength(std::string_view rest) {
  if (rest.size() < PATH_MAX) return rest.size();
  size_t end = rest.find_last_of('/', PATH_MAX - 2);
  return end == std::string_view::npos ? 0 : end + 1;
}

}  // namespace

AtPath::~AtPath() {
  if (ownsDir_ && dir_ >= 0) close(dir_);
}

AtPath DirectoryCache::Resolve(const std::string& path) const {
  // The descriptors kept serve the thread that reads directories, which
  // closes them; other threads open every path from the top.
  const bool ownThread = oneThread_ || reader_.load(std::memory_order_relaxed) == std::this_thread::get_id();
  size_t slash = path.find_last_of('/');
  const bool named = slash != std::string::npos && slash + 1 < path.size();
  if (named && ownThread) {
    // The walk asks for files of the directory it read last, at the back.
    for (auto cached = chain_.rbegin(); cached != chain_.rend(); ++cached) {
      if (cached->fd >= 0 && cached->path.size() == slash + 1 && path.compare(0, slash + 1, cached->path) == 0) {
        return AtPath(cached->fd, path.c_str() + slash + 1, false);
      }
    }
  }
  if (named && oneThread_ && path.size() < PATH_MAX) {
    const std::string_view directory(path.data(), slash + 1);
    if (lastFileDirectoryFd_ < 0 || directory != lastFileDirectory_) {
      ForgetLastFileDirectory();
      lastFileDirectoryFd_ = openat(AT_FDCWD, std::string(directory).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
      if (lastFileDirectoryFd_ >= 0) lastFileDirectory_.assign(directory);
    }
    if (lastFileDirectoryFd_ >= 0) return AtPath(lastFileDirectoryFd_, path.c_str() + slash + 1, false);
  }
  if (path.size() < PATH_MAX) return AtPath(AT_FDCWD, path.c_str(), false);

  // Too long for one call: its directories are opened a piece at a time,
  // from the deepest directory of the walk on its way that has a descriptor.
  std::string_view directory(path.data(), named ? slash + 1 : path.size());
  const char* name = named ? path.c_str() + slash + 1 : ".";
  int from = AT_FDCWD;
  size_t done = 0;
  for (auto cached = chain_.rbegin(); ownThread && cached != chain_.rend(); ++cached) {
    if (cached->fd >= 0 && directory.starts_with(cached->path)) {
      from = cached->fd;
      done = cached->path.size();
      break;
    }
  }
  int owned = -1;
  while (done < directory.size()) {
    size_t length = PieceLength(directory.substr(done));
    std::string piece(directory.substr(done, length));
    int next = length == 0 ? -1 : openat(from, piece.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (owned >= 0) close(owned);
    if (next < 0) return AtPath(-1, name, false);
    owned = from = next;
    done += length;
  }
  return AtPath(from, name, owned >= 0);
}

int DirectoryCache::OpenDirectory(const std::string& dir) const {
  // Named without its last '/', a directory of the walk opens under its parent's descriptor.
  std::string named = dir.size() > 1 && dir.back() == '/' ? dir.substr(0, dir.size() - 1) : dir;
  AtPath at = Resolve(named);
  int fd;
  do {
    fd = openat(at.dir(), at.name(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

void DirectoryCache::KeepFewDescriptors() {
  size_t kept = std::count_if(chain_.begin(), chain_.end(), [](const Directory& d) { return d.fd >= 0; });
  for (Directory& directory : chain_) {
    if (kept <= kMaxKeptDirectoryFds) break;
    if (directory.fd < 0 || &directory == &chain_.back()) continue;
    directory.id = IdOf(directory.fd);
    close(directory.fd);
    directory.fd = -1;
    --kept;
  }
}

void DirectoryCache::Reopen(int child) {
  Directory& directory = chain_.back();
  if (child >= 0 && directory.id.Known()) {
    int fd = openat(child, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0 && IdOf(fd) == directory.id) {
      directory.fd = fd;
      return;
    }
    if (fd >= 0) close(fd);
  }
  directory.fd = OpenDirectory(directory.path);
}

const DirectoryCache::Directory* DirectoryCache::Read(const std::string& dir, FindDetail detail) {
  reader_.store(std::this_thread::get_id(), std::memory_order_relaxed);
  // A cached path ends in '/', so it is an ancestor exactly when it is a
  // prefix; the directories that aren't go from the end of the walk path.
  int left = -1;  // the descriptor of the last directory dropped
  while (!chain_.empty() && !dir.starts_with(chain_.back().path)) {
    if (left >= 0) close(left);
    left = chain_.back().fd;
    KeepRoomOf(&chain_.back().entries);
    chain_.pop_back();
  }
  if (!chain_.empty() && chain_.back().fd < 0) {
    // Back in a directory deeper than the descriptors kept reach.
    Reopen(left);
    KeepFewDescriptors();
  }
  if (left >= 0) close(left);
  if (!chain_.empty() && chain_.back().path == dir) {
    Directory& hit = chain_.back();
    if (hit.detail == FindDetail::kFull || detail == FindDetail::kTypes) return &hit;
    // Asked for more than was read: read again.
    if (hit.fd >= 0) close(hit.fd);
    chain_.pop_back();
  }
  Directory read;
  read.entries.swap(spareEntries_);
  read.path = dir;
  read.detail = detail;
  read.fd = OpenDirectory(dir);
  if (read.fd < 0) return nullptr;
  if (!ReadEntries(read.fd, detail, &read.entries)) {
    close(read.fd);
    return nullptr;
  }
  chain_.push_back(std::move(read));
  KeepFewDescriptors();
  return &chain_.back();
}

void DirectoryCache::ForgetLastFileDirectory() const {
  if (lastFileDirectoryFd_ >= 0) close(lastFileDirectoryFd_);
  lastFileDirectoryFd_ = -1;
  lastFileDirectory_.clear();
}

void DirectoryCache::KeepRoomOf(std::vector<FindEntry>* entries) {
  // The room of a huge directory is given back at once.
  if (entries->capacity() > kMaxSpareEntries) return;
  spareEntries_.swap(*entries);
  spareEntries_.clear();
}

void DirectoryCache::Forget() {
  for (const Directory& cached : chain_) {
    if (cached.fd >= 0) close(cached.fd);
  }
  chain_.clear();
  ForgetLastFileDirectory();
}

}  // namespace korven
