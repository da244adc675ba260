// The Win32 file system behind the seam, on the wide-character interfaces:
// every object is found and opened by its exact name, at any length, while
// the program above sees 8-bit ANSI names (see WideNames).
#ifndef KORVEN_PLATFORM_WIN32_WIN32_FILE_SYSTEM_H_
#define KORVEN_PLATFORM_WIN32_WIN32_FILE_SYSTEM_H_

#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "platform/win32/wide_names.h"

namespace korven {

class Win32FileSystem : public FileSystem {
 public:
  // Directory search: find_files.cc.
  // Entries come whole whatever the detail asked for: the platform's
  // search reports everything at once.
  bool FindFiles(const std::string& dir, const std::string& pattern, FindDetail detail,
                 std::vector<FindEntry>* found) override;
  void ForgetDirectories() override;
  std::unique_ptr<FileSystem> NewSearcher() override { return std::make_unique<Win32FileSystem>(); }
  bool LookUp(const std::string& path, FindEntry* entry) override;

  // Reading, attributes, times and volumes: file_io.cc.
  bool ReadsInParallel() const override { return true; }
  FileHandle OpenForReading(const std::string& path) override;
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

  // Whether the volume's device seeks: disk_kind.cc.
  DiskKind DiskKindOf(const std::string& path) override;

  // Named streams, from the backup image: named_streams.cc.
  StreamsRead NamedStreams(const std::string& path, std::vector<StreamEntry>* streams) override;
  FileHandle OpenStream(const std::string& path, const std::string& streamName) override;

  // Changing files in place for the signature: signature_io.cc.
  FileHandle OpenForUpdate(const std::string& path) override;
  int64_t Write(FileHandle handle, const void* data, size_t count) override;
  int64_t SeekToEnd(FileHandle handle) override;
  bool SetLength(FileHandle handle, uint64_t length) override;

 private:
  // The wide path to hand the system for `path`, in the long form where
  // needed; empty when `path` names nothing that can be told apart.
  std::wstring SystemPath(const std::string& path);

  // The runtime library's low-level open with `flags`. The handle is the
  // descriptor's operating-system handle, so Read and Seek treat every handle
  // alike; Close gives it back through the descriptor.
  FileHandle OpenWithRuntime(const std::string& path, int flags);

  WideNames names_;

  // The backup and restore privileges are enabled at the first stream read.
  std::once_flag privilegesEnabled_;
  StreamsRead privileges_ = StreamsRead::kRead;

  // Files opened by OpenWithRuntime: (handle, descriptor). Readers reading
  // ahead open and close files at once.
  std::mutex runtimeMutex_;
  std::vector<std::pair<FileHandle, int>> runtimeDescriptors_;
};

}  // namespace korven

#endif  // KORVEN_PLATFORM_WIN32_WIN32_FILE_SYSTEM_H_
