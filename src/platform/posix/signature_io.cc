#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/posix_file_system.h"

namespace korven {

// Never through a symbolic link; non-blocking so that a name swapped for a
// FIFO can't hang the run.
FileHandle PosixFileSystem::OpenForUpdate(const std::string& path) {
  AtPath at = directories_.Resolve(path);
  int fd;
  do {
    fd = openat(at.dir(), at.name(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  return fd < 0 ? kInvalidHandle : (static_cast<FileHandle>(fd) | kUpdateHandleBit);
}

int64_t PosixFileSystem::Write(FileHandle handle, const void* data, size_t count) {
  const char* bytes = static_cast<const char*>(data);
  size_t done = 0;
  while (done < count) {
    ssize_t n = write(DescriptorOf(handle), bytes + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return -1;
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

int64_t PosixFileSystem::SeekToEnd(FileHandle handle) {
  return lseek(DescriptorOf(handle), 0, SEEK_END);
}

bool PosixFileSystem::SetLength(FileHandle handle, uint64_t length) {
  return ftruncate(DescriptorOf(handle), static_cast<off_t>(length)) == 0;
}

}  // namespace korven
