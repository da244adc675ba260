// Named streams on POSIX: the `user.` extended attributes of a file or
// directory. Attribute user.info is the stream ":info:$DATA", so names are
// handled as on Win32; its size is the value's length. Objects are opened
// following symbolic links: a link has the streams of the file it points to.
#include <errno.h>
#include <limits.h>
#include <sys/xattr.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/posix_file_system.h"

namespace korven {

namespace {

constexpr std::string_view kUserNamespace = "user.";
constexpr std::string_view kStreamType = ":$DATA";

// Asking only for the size of a file's list of names costs the kernel no
// buffer, and most files have no attributes at all. Where files have some
// (a security label on every file), that question would cost a second call
// per file: after a file with names, the next ones are listed at once.
constexpr int kListsAtOnceAfterNames = 64;
thread_local int listsAtOnceLeft = 0;

// The attribute names of the open file `fd`, each ended by a NUL. They are
// listed into `local`, which holds the names of nearly every file; only
// longer lists are read into `large`. Empty when the attributes can't be
// listed (the file system keeps none).
std::string_view AttributeNames(int fd, char* local, size_t localSize, std::vector<char>* large) {
  if (listsAtOnceLeft > 0) {
    --listsAtOnceLeft;
  } else {
    const ssize_t size = flistxattr(fd, nullptr, 0);
    if (size <= 0) return {};
    listsAtOnceLeft = kListsAtOnceAfterNames;
  }
  ssize_t got = flistxattr(fd, local, localSize);
  if (got >= 0) return {local, static_cast<size_t>(got)};
  while (errno == ERANGE) {
    ssize_t size = flistxattr(fd, nullptr, 0);
    if (size < 0) break;
    large->resize(static_cast<size_t>(size));
    got = flistxattr(fd, large->data(), large->size());
    if (got >= 0) return {large->data(), static_cast<size_t>(got)};
  }
  return {};
}

// The value of attribute `name` of the open file `fd`; false when it can't be read.
bool ReadAttribute(int fd, const char* name, std::vector<unsigned char>* value) {
  for (;;) {
    ssize_t size = fgetxattr(fd, name, nullptr, 0);
    if (size < 0) return false;
    value->resize(static_cast<size_t>(size));
    ssize_t got = fgetxattr(fd, name, value->data(), value->size());
    if (got >= 0) {
      value->resize(static_cast<size_t>(got));
      return true;
    }
    // The value grew between the two calls: ask again.
    if (errno != ERANGE) return false;
  }
}

// Values of the streams open for reading, by the handle's number; several
// threads may read streams at once.
class OpenStreams {
 public:
  FileHandle Add(std::vector<unsigned char> value) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto free = std::find_if(slots_.begin(), slots_.end(), [](const Slot& slot) { return !slot.open; });
    if (free == slots_.end()) free = slots_.insert(slots_.end(), Slot{});
    *free = Slot{std::move(value), 0, true};
    return kStreamHandleBit | static_cast<FileHandle>(free - slots_.begin());
  }
  int64_t Read(FileHandle handle, void* buffer, size_t count) {
    std::lock_guard<std::mutex> lock(mutex_);
    Slot& slot = slots_.at(Index(handle));
    size_t position = std::min(slot.position, slot.value.size());
    size_t taken = std::min(count, slot.value.size() - position);
    std::copy_n(slot.value.data() + position, taken, static_cast<unsigned char*>(buffer));
    slot.position = position + taken;
    return static_cast<int64_t>(taken);
  }
  void Seek(FileHandle handle, uint64_t offset) {
    std::lock_guard<std::mutex> lock(mutex_);
    slots_.at(Index(handle)).position = static_cast<size_t>(std::min<uint64_t>(offset, SIZE_MAX));
  }
  void Close(FileHandle handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    slots_.at(Index(handle)) = Slot{};
  }

 private:
  struct Slot {
    std::vector<unsigned char> value;
    size_t position = 0;
    bool open = false;
  };
  static size_t Index(FileHandle handle) { return static_cast<size_t>(handle & ~kStreamHandleBit); }

  std::mutex mutex_;
  std::vector<Slot> slots_;
};

OpenStreams openStreams;

}  // namespace

// Objects are opened under their directory's descriptor, so that paths
// beyond the kernel's limit have their streams too; the attribute calls
// through a descriptor spare the walk of the path besides.
StreamsRead PosixFileSystem::NamedStreams(const std::string& path, std::vector<StreamEntry>* streams) {
  streams->clear();
  // Most objects have no attributes at all: asked by path, that costs no
  // open and close (a directory's, each time the walk lists one).
  if (path.size() < PATH_MAX && listxattr(path.c_str(), nullptr, 0) == 0) return StreamsRead::kRead;
  const FileHandle handle = OpenFallback(path);
  if (handle == kInvalidHandle) return StreamsRead::kRead;
  const StreamsRead read = NamedStreamsOf(handle, path, streams);
  Close(handle);
  return read;
}

StreamsRead PosixFileSystem::NamedStreamsOf(FileHandle handle, const std::string& /*path*/,
                                            std::vector<StreamEntry>* streams) {
  streams->clear();
  const int fd = DescriptorOf(handle);
  // The kernel allocates a buffer of the size asked for: 256 bytes hold the
  // names of nearly every file and cost less than a page.
  char local[256];
  std::vector<char> large;
  std::string_view names = AttributeNames(fd, local, sizeof local, &large);
  std::vector<std::string_view> userNames;
  for (size_t end = names.find('\0'); end != std::string_view::npos; end = names.find('\0')) {
    std::string_view name = names.substr(0, end);
    names.remove_prefix(end + 1);
    if (name.starts_with(kUserNamespace)) userNames.push_back(name);
  }
  // Whatever order the file system keeps, listings come out the same.
  std::sort(userNames.begin(), userNames.end());
  for (std::string_view name : userNames) {
    // Each name ends in its NUL inside the list's storage.
    ssize_t size = fgetxattr(fd, name.data(), nullptr, 0);
    if (size < 0) continue;  // removed meanwhile
    std::string streamName(":");
    streamName.append(name.substr(kUserNamespace.size())).append(kStreamType);
    streams->push_back(StreamEntry{std::move(streamName), static_cast<uint64_t>(size), 0});
  }
  return StreamsRead::kRead;
}

FileHandle PosixFileSystem::OpenStream(const std::string& path, const std::string& streamName) {
  std::string_view stream = streamName;
  if (stream.size() <= kStreamType.size() || stream.front() != ':' || !stream.ends_with(kStreamType)) {
    return kInvalidHandle;
  }
  std::string attribute(kUserNamespace);
  attribute.append(stream.substr(1, stream.size() - 1 - kStreamType.size()));
  const FileHandle object = OpenFallback(path);
  if (object == kInvalidHandle) return kInvalidHandle;
  std::vector<unsigned char> value;
  const bool read = ReadAttribute(DescriptorOf(object), attribute.c_str(), &value);
  Close(object);
  return read ? openStreams.Add(std::move(value)) : kInvalidHandle;
}

int64_t ReadOpenStream(FileHandle handle, void* buffer, size_t count) {
  return openStreams.Read(handle, buffer, count);
}

bool SeekOpenStream(FileHandle handle, uint64_t offset) {
  openStreams.Seek(handle, offset);
  return true;
}

void CloseOpenStream(FileHandle handle) { openStreams.Close(handle); }

}  // namespace korven
