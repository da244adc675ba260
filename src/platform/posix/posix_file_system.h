// The POSIX file system behind the seam.
#ifndef KORVEN_PLATFORM_POSIX_POSIX_FILE_SYSTEM_H_
#define KORVEN_PLATFORM_POSIX_POSIX_FILE_SYSTEM_H_

#include <atomic>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "platform/posix/directory_cache.h"
#include "platform/posix/open_ring.h"

namespace korven {

// Handles of files opened for update carry this bit above any descriptor,
// so that Close tells them from files only read without keeping a table.
constexpr FileHandle kUpdateHandleBit = FileHandle{1} << 40;
inline int DescriptorOf(FileHandle handle) { return static_cast<int>(handle & ~kUpdateHandleBit); }

// Handles of named streams carry this bit; their values are read whole when
// they are opened and served from memory: named_streams.cc.
constexpr FileHandle kStreamHandleBit = FileHandle{1} << 41;
inline bool IsStreamHandle(FileHandle handle) { return (handle & kStreamHandleBit) != 0; }
int64_t ReadOpenStream(FileHandle handle, void* buffer, size_t count);
bool SeekOpenStream(FileHandle handle, uint64_t offset);
void CloseOpenStream(FileHandle handle);

class PosixFileSystem : public FileSystem {
 public:
  // `sysfsRoot`: where the kernel's sysfs is mounted, which tells what kind
  // of disk holds a file.
  explicit PosixFileSystem(std::string sysfsRoot = "/sys") : sysfsRoot_(std::move(sysfsRoot)) {}

  // Directory search: find_files.cc.
  bool FindFiles(const std::string& dir, const std::string& pattern, FindDetail detail,
                 std::vector<FindEntry>* found) override;
  bool LookUp(const std::string& path, FindEntry* entry) override;
  bool ListNames(const std::string& dir, std::vector<std::string>* names) override;
  void ForgetDirectories() override;
  std::unique_ptr<FileSystem> NewSearcher() override {
    auto searcher = std::make_unique<PosixFileSystem>(sysfsRoot_);
    searcher->directories_.ServeOneThread();
    return searcher;
  }

  // Reading, attributes, times and volumes: file_io.cc.
  bool ReadsInParallel() const override { return true; }
  FileHandle OpenForReading(const std::string& path) override;
  void OpenAllForReading(std::span<const std::string* const> paths, std::span<FileHandle> handles) override;
  FileHandle OpenFallback(const std::string& path) override;
  int64_t Read(FileHandle handle, void* buffer, size_t count) override;
  bool Seek(FileHandle handle, uint64_t offset) override;
  void Close(FileHandle handle) override;
  bool Describe(FileHandle handle, FindEntry* entry) override;
  bool GetAttributes(const std::string& path, uint32_t* attributes) override;
  bool SetAttributes(const std::string& path, uint32_t attributes) override;
  bool TimesByHandle(const std::string& path, FileTimes* times) override;
  bool SetTimes(const std::string& path, const FileTimes& times) override;
  int VolumeType(const std::string& path) override;
  bool DiskFree(const std::string& path, uint64_t* freeBytes) override;
  PathKind KindOf(const std::string& path) override;

  // The disk holding a path, from sysfs: disk_kind.cc.
  DiskKind DiskKindOf(const std::string& path) override;
  std::optional<uint64_t> BlocksReadByThisThread() override;

  // Named streams, the user extended attributes: named_streams.cc.
  StreamsRead NamedStreams(const std::string& path, std::vector<StreamEntry>* streams) override;
  StreamsRead NamedStreamsOf(FileHandle handle, const std::string& path,
                             std::vector<StreamEntry>* streams) override;
  FileHandle OpenStream(const std::string& path, const std::string& streamName) override;

  // Changing files in place for the signature: signature_io.cc.
  FileHandle OpenForUpdate(const std::string& path) override;
  int64_t Write(FileHandle handle, const void* data, size_t count) override;
  int64_t SeekToEnd(FileHandle handle) override;
  bool SetLength(FileHandle handle, uint64_t length) override;

 private:
  const std::string sysfsRoot_;
  std::atomic<bool> noAtimeRefused_{false};

  // Directories read lately, kept while they lie on the path being walked so
  // that one read serves the walk's "*.*" search and every file type, and
  // every path is handed to the kernel under a directory descriptor.
  DirectoryCache directories_;

  // The opens of a file system of one thread's own, several at a time; made
  // on first use, dropped when the kernel refuses it.
  std::unique_ptr<OpenRing> openRing_;
  bool openRingTried_ = false;
};

}  // namespace korven

#endif  // KORVEN_PLATFORM_POSIX_POSIX_FILE_SYSTEM_H_
