// Reading, attributes, times and volumes on POSIX.
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <mutex>

#include "platform/posix/find_record.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_time.h"
#include "platform/system.h"

namespace korven {

namespace {

constexpr long kMsdosSuperMagic = 0x4d44;

#if defined(__SANITIZE_THREAD__)
// ThreadSanitizer sees a close, not a close_range: without it, a descriptor
// number used again would look shared by the threads that held it in turn.
constexpr bool kCloseInRanges = false;
#else
constexpr bool kCloseInRanges = true;
#endif

// Descriptors of files only read, handed to Close and still open. Numbers
// are given lowest free first, so the files of a walk hold long runs of
// consecutive numbers: one close_range closes each run, which saves a
// system call per file. Threads reading at once share one list; a thread
// that finds it in use closes its file itself rather than wait.
class PendingCloses {
 public:
  ~PendingCloses() { CloseAll(); }
  void Close(int fd) {
    std::unique_lock<std::mutex> lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock()) {
      close(fd);
      return;
    }
    fds_[count_++] = fd;
    if (count_ == fds_.size()) CloseAll();
  }

 private:
  void CloseAll() {
    std::sort(fds_.begin(), fds_.begin() + count_);
    for (size_t i = 0; i < count_;) {
      size_t last = i;
      while (last + 1 < count_ && fds_[last + 1] == fds_[last] + 1) ++last;
      if (!kCloseInRanges ||
          close_range(static_cast<unsigned>(fds_[i]), static_cast<unsigned>(fds_[last]), 0) != 0) {
        for (size_t k = i; k <= last; ++k) close(fds_[k]);
      }
      i = last + 1;
    }
    count_ = 0;
  }

  std::mutex mutex_;
  std::array<int, 64> fds_{};
  size_t count_ = 0;
};

PendingCloses pendingCloses;

// Non-blocking so that a name swapped for a FIFO can't hang the run.
constexpr int kReadOnlyFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;

int OpenReadOnly(int dirFd, const char* name, int extraFlags) {
  int flags = kReadOnlyFlags | extraFlags;
  int fd;
  do {
    fd = openat(dirFd, name, flags);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

}  // namespace

FileHandle PosixFileSystem::OpenForReading(const std::string& path) {
  // O_NOATIME keeps the access time as it was where the owner allows it;
  // once refused (files of another user), it is not asked for again, which
  // would cost a second open per file.
  AtPath at = directories_.Resolve(path);
  bool noAtime = !noAtimeRefused_.load(std::memory_order_relaxed);
  int fd = OpenReadOnly(at.dir(), at.name(), noAtime ? O_NOATIME : 0);
  if (fd < 0 && errno == EPERM && noAtime) {
    noAtimeRefused_.store(true, std::memory_order_relaxed);
    fd = OpenReadOnly(at.dir(), at.name(), 0);
  }
  return fd < 0 ? kInvalidHandle : static_cast<FileHandle>(fd);
}

void PosixFileSystem::OpenAllForReading(std::span<const std::string* const> paths, std::span<FileHandle> handles) {
  std::fill(handles.begin(), handles.end(), kInvalidHandle);
  // Only one thread submits to a ring, and only its own cache keeps the
  // descriptor of the directory the files are opened under.
  if (!directories_.ServesOneThread()) return;
  if (!openRingTried_) {
    openRingTried_ = true;
    openRing_ = OpenRing::Make();
  }
  const int flags = kReadOnlyFlags | (noAtimeRefused_.load(std::memory_order_relaxed) ? 0 : O_NOATIME);
  for (size_t at = 0; at < paths.size() && openRing_;) {
    // A run of files of one directory, opened under its descriptor.
    const std::string& first = *paths[at];
    const size_t nameAt = first.find_last_of('/') + 1;
    // Named under a directory, short enough for one call, and in the same
    // directory as the first.
    auto inDirectory = [&first, nameAt](const std::string& path) {
      return nameAt > 0 && path.size() > nameAt && path.size() < PATH_MAX &&
             path.compare(0, nameAt, first, 0, nameAt) == 0 && path.find('/', nameAt) == std::string::npos;
    };
    size_t end = at;
    while (end < paths.size() && end - at < OpenRing::kMaxOpens && inDirectory(*paths[end])) ++end;
    if (end == at) {
      ++at;  // the caller opens it
      continue;
    }
    const AtPath directory = directories_.Resolve(first);
    if (directory.name() != first.c_str() + nameAt) {
      at = end;  // no descriptor for the directory: the caller opens them
      continue;
    }
    std::array<const char*, OpenRing::kMaxOpens> names;
    std::array<int, OpenRing::kMaxOpens> fds;
    const size_t count = end - at;
    for (size_t i = 0; i < count; ++i) names[i] = paths[at + i]->c_str() + nameAt;
    if (!openRing_->OpenAll(directory.dir(), {names.data(), count}, flags, {fds.data(), count})) {
      openRing_.reset();
      return;
    }
    for (size_t i = 0; i < count; ++i) {
      if (fds[i] >= 0) handles[at + i] = static_cast<FileHandle>(fds[i]);
    }
    at = end;
  }
}

FileHandle PosixFileSystem::OpenFallback(const std::string& path) {
  AtPath at = directories_.Resolve(path);
  int fd = OpenReadOnly(at.dir(), at.name(), 0);
  return fd < 0 ? kInvalidHandle : static_cast<FileHandle>(fd);
}

int64_t PosixFileSystem::Read(FileHandle handle, void* buffer, size_t count) {
  if (IsStreamHandle(handle)) return ReadOpenStream(handle, buffer, count);
  ssize_t got;
  do {
    got = read(DescriptorOf(handle), buffer, count);
  } while (got < 0 && errno == EINTR);
  return got;
}

bool PosixFileSystem::Seek(FileHandle handle, uint64_t offset) {
  if (IsStreamHandle(handle)) return SeekOpenStream(handle, offset);
  return lseek(DescriptorOf(handle), static_cast<off_t>(offset), SEEK_SET) != static_cast<off_t>(-1);
}

void PosixFileSystem::Close(FileHandle handle) {
  // A file that was only read is closed later, together with the files read
  // after it; anything written to is closed at once.
  if (IsStreamHandle(handle)) {
    CloseOpenStream(handle);
  } else if ((handle & kUpdateHandleBit) != 0) {
    close(DescriptorOf(handle));
  } else if (!openRing_ || !openRing_->CloseWithNextOpens(static_cast<int>(handle))) {
    pendingCloses.Close(static_cast<int>(handle));
  }
}

bool PosixFileSystem::Describe(FileHandle handle, FindEntry* entry) {
  struct statx st;
  if (statx(DescriptorOf(handle), "", AT_EMPTY_PATH, kStatxWanted, &st) != 0) return false;
  const uint32_t link = entry->attributes & kAttrReparsePoint;
  if (!FillEntry(st, entry)) return false;
  entry->attributes |= link;
  return true;
}

bool PosixFileSystem::GetAttributes(const std::string& path, uint32_t* attributes) {
  FindEntry entry;
  if (!LookUp(path, &entry)) return false;
  *attributes = entry.attributes;
  return true;
}

bool PosixFileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  // Only read-only maps onto POSIX: it is the owner's write permission. A
  // symbolic link has none of its own, and the file it points to is not
  // changed through it.
  AtPath at = directories_.Resolve(path);
  struct stat st;
  if (fstatat(at.dir(), at.name(), &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISLNK(st.st_mode)) return false;
  mode_t mode = st.st_mode & 07777;
  mode_t wanted = (attributes & kAttrReadOnly) ? (mode & ~S_IWUSR) : (mode | S_IWUSR);
  return wanted == mode || fchmodat(at.dir(), at.name(), wanted, 0) == 0;
}

bool PosixFileSystem::TimesByHandle(const std::string& path, FileTimes* times) {
  FindEntry entry;
  if (!LookUp(path, &entry)) return false;
  *times = entry.times;
  return true;
}

bool PosixFileSystem::SetTimes(const std::string& path, const FileTimes& times) {
  // The birth time can't be set on Linux; access and write times can.
  struct timespec both[2] = {ToTimespec(times.access, times.accessSubTick),
                             ToTimespec(times.write, times.writeSubTick)};
  AtPath at = directories_.Resolve(path);
  if (both[0].tv_nsec == UTIME_OMIT && both[1].tv_nsec == UTIME_OMIT) {
    // Nothing to set; the file must still be there, as for any other reset.
    struct stat st;
    return fstatat(at.dir(), at.name(), &st, AT_SYMLINK_NOFOLLOW) == 0;
  }
  return utimensat(at.dir(), at.name(), both, AT_SYMLINK_NOFOLLOW) == 0;
}

int PosixFileSystem::VolumeType(const std::string& path) {
  struct statfs fs;
  if (statfs(path.c_str(), &fs) != 0) return kVolumeOther;
  if (static_cast<long>(fs.f_type) == kMsdosSuperMagic) return kVolumeFat;
  // A volume holds named streams when it takes user extended attributes: asking
  // for one that isn't there says "no data" rather than "not supported".
  if (getxattr(path.c_str(), "user.korven.probe", nullptr, 0) < 0 && errno == ENODATA) {
    return kVolumeNamedStreams;
  }
  return kVolumeOther;
}

bool PosixFileSystem::DiskFree(const std::string& path, uint64_t* freeBytes) {
  struct statvfs vfs;
  if (statvfs(path.c_str(), &vfs) != 0) return false;
  *freeBytes = static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
  return true;
}

PathKind PosixFileSystem::KindOf(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return PathKind::kNone;
  if (S_ISREG(st.st_mode)) return PathKind::kRegularFile;
  return S_ISDIR(st.st_mode) ? PathKind::kDirectory : PathKind::kOther;
}

FileSystem& RealFileSystem() {
  static PosixFileSystem fileSystem;
  return fileSystem;
}

}  // namespace korven
