#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/posix_file_system.h"

namespace korven {

FileHandle PosixFileSystem::OpenForUpdate(const std::string& path) {
  int fd;
  do {
    fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
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

bool PosixFileSystem::SeekToEnd(FileHandle handle) {
  return lseek(DescriptorOf(handle), 0, SEEK_END) >= 0;
}

bool PosixFileSystem::SetLength(FileHandle handle, uint64_t length) {
  return ftruncate(DescriptorOf(handle), static_cast<off_t>(length)) == 0;
}

}  // namespace korven
