// Reading, attributes, times and volumes on POSIX.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "platform/posix/posix_file_system.h"
#include "platform/system.h"

namespace korven {

namespace {

constexpr long kMsdosSuperMagic = 0x4d44;

int OpenReadOnly(int dirFd, const char* name, int extraFlags) {
  // Non-blocking so that a name swapped for a FIFO can't hang the run.
  int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | extraFlags;
  int fd;
  do {
    fd = openat(dirFd, name, flags);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

struct timespec FileTimeToTimespec(uint64_t fileTime) {
  int64_t ticks = static_cast<int64_t>(fileTime) -
                  static_cast<int64_t>(kFileTimeEpochOffsetSeconds) * 10000000LL;
  struct timespec ts;
  ts.tv_sec = static_cast<time_t>(ticks / 10000000LL);
  ts.tv_nsec = static_cast<long>(ticks % 10000000LL) * 100;
  if (ts.tv_nsec < 0) {
    ts.tv_nsec += 1000000000L;
    ts.tv_sec -= 1;
  }
  return ts;
}

}  // namespace

FileHandle PosixFileSystem::OpenForReading(const std::string& path) {
  // O_NOATIME keeps the access time as it was where the owner allows it.
  const char* name;
  int dirFd = DirectoryOf(path, &name);
  int fd = OpenReadOnly(dirFd, name, O_NOATIME);
  if (fd < 0 && errno == EPERM) fd = OpenReadOnly(dirFd, name, 0);
  return fd < 0 ? kInvalidHandle : static_cast<FileHandle>(fd);
}

FileHandle PosixFileSystem::OpenFallback(const std::string& path) {
  int fd = OpenReadOnly(AT_FDCWD, path.c_str(), 0);
  return fd < 0 ? kInvalidHandle : static_cast<FileHandle>(fd);
}

int64_t PosixFileSystem::Read(FileHandle handle, void* buffer, size_t count) {
  ssize_t got;
  do {
    got = read(static_cast<int>(handle), buffer, count);
  } while (got < 0 && errno == EINTR);
  return got;
}

bool PosixFileSystem::Seek(FileHandle handle, uint64_t offset) {
  return lseek(static_cast<int>(handle), static_cast<off_t>(offset), SEEK_SET) != static_cast<off_t>(-1);
}

void PosixFileSystem::Close(FileHandle handle) { close(static_cast<int>(handle)); }

bool PosixFileSystem::GetAttributes(const std::string& path, uint32_t* attributes) {
  FindEntry entry;
  if (!LookUp(path, &entry)) return false;
  *attributes = entry.attributes;
  return true;
}

bool PosixFileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  // Only read-only maps onto POSIX: it is the owner's write permission.
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  mode_t mode = st.st_mode & 07777;
  mode_t wanted = (attributes & kAttrReadOnly) ? (mode & ~S_IWUSR) : (mode | S_IWUSR);
  return wanted == mode || chmod(path.c_str(), wanted) == 0;
}

bool PosixFileSystem::TimesByHandle(const std::string& path, FileTimes* times) {
  FindEntry entry;
  if (!LookUp(path, &entry)) return false;
  *times = entry.times;
  return true;
}

bool PosixFileSystem::SetTimes(const std::string& path, const FileTimes& times) {
  // The birth time can't be set on Linux; access and write times can.
  struct timespec both[2] = {FileTimeToTimespec(times.access), FileTimeToTimespec(times.write)};
  return utimensat(AT_FDCWD, path.c_str(), both, 0) == 0;
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

FileSystem& RealFileSystem() {
  static PosixFileSystem fileSystem;
  return fileSystem;
}

}  // namespace korven
