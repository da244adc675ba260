// An in-memory file system for unit tests: a tree of directories and files
// searched with the Win32 wildcard rules and order, like the real ones, that
// can also change files in place and fail on request.
#ifndef KORVEN_TESTING_MEMORY_FILE_SYSTEM_H_
#define KORVEN_TESTING_MEMORY_FILE_SYSTEM_H_

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"

namespace korven {

class MemoryFileSystem : public FileSystem {
 public:
  // Paths use the platform's separator; directories are named without a
  // trailing one. Missing parent directories are made on the way.
  void AddDirectory(const std::string& path);
  // A directory searched without "." and "..", like the root of a drive.
  void AddRootDirectory(const std::string& path);
  void AddFile(const std::string& path, const std::string& content, const FileTimes& times = {});
  // Gives the file or directory `path` a named stream (":name:$DATA").
  void AddStream(const std::string& path, const std::string& streamName, const std::string& content);
  // Replaces a file's contents; a file open for reading reads the new ones.
  void SetContent(const std::string& path, const std::string& content);
  // Removes a file, as another program would; a file open for reading can
  // still be read to its end.
  void RemoveFile(const std::string& path);
  // The contents of a file, empty when there is none.
  std::string Content(const std::string& path);
  // Makes the file's find record report `size` whatever its contents hold,
  // for files too large to make in a test.
  void SetReportedSize(const std::string& path, uint64_t size);

  // The directories searched, in order, one per FindFiles call, and the
  // pattern of each.
  const std::vector<std::string>& searches() const { return searches_; }
  const std::vector<std::string>& searchPatterns() const { return searchPatterns_; }

  // Faults and events, for the tests of what the program does about them.
  // Called with the path at every open, before the file is looked for: a
  // test changes or removes the file there, as between a directory search
  // and the moment the file is processed.
  std::function<void(const std::string& path)> beforeOpen;
  std::set<std::string> failOpenForReading;  // paths whose OpenForReading fails
  std::set<std::string> failOpenFallback;    // paths whose OpenFallback fails
  std::set<std::string> failOpenForUpdate;   // paths whose OpenForUpdate fails
  std::set<std::string> failSetTimes;        // paths whose SetTimes fails
  int readsBeforeError = -1;  // reads that succeed before every later one fails; -1 never
  size_t readLimit = 0;       // most bytes one read returns, as from a pipe; 0 no limit
  int64_t roomLeft = -1;      // bytes writes may still add, as on a filling disk; -1 no limit
  bool failSetLength = false;
  bool readsInParallel = false;  // what ReadsInParallel reports
  bool opensAllAtOnce = false;   // OpenAllForReading opens every file it can, else none
  // NewSearcher calls that succeed (giving none, as a platform without
  // searchers) before every later one runs out of memory; -1 never.
  int searchersBeforeNoMemory = -1;
  StreamsRead streamsRead = StreamsRead::kRead;  // what NamedStreams reports

  // What was asked of it.
  int opensForReading = 0;
  int fallbackOpens = 0;
  int reads = 0;
  int closes = 0;
  int openFiles() const;  // files opened and not closed

  // With FindDetail::kTypes an entry holds its name and its directory and
  // link attributes only, as the POSIX search gives it.
  bool FindFiles(const std::string& dir, const std::string& pattern, FindDetail detail,
                 std::vector<FindEntry>* found) override;
  bool LookUp(const std::string& path, FindEntry* entry) override;
  bool ReadsInParallel() const override { return readsInParallel; }
  std::unique_ptr<FileSystem> NewSearcher() override;
  FileHandle OpenForReading(const std::string& path) override;
  void OpenAllForReading(std::span<const std::string* const> paths, std::span<FileHandle> handles) override;
  FileHandle OpenFallback(const std::string& path) override;
  int64_t Read(FileHandle handle, void* buffer, size_t count) override;
  bool Seek(FileHandle handle, uint64_t offset) override;
  void Close(FileHandle handle) override;
  bool Describe(FileHandle handle, FindEntry* entry) override;
  FileHandle OpenForUpdate(const std::string& path) override;
  int64_t Write(FileHandle handle, const void* data, size_t count) override;
  int64_t SeekToEnd(FileHandle handle) override;
  bool SetLength(FileHandle handle, uint64_t length) override;
  StreamsRead NamedStreams(const std::string& path, std::vector<StreamEntry>* streams) override;
  FileHandle OpenStream(const std::string& path, const std::string& streamName) override;
  bool GetAttributes(const std::string& path, uint32_t* attributes) override;
  bool SetAttributes(const std::string& path, uint32_t attributes) override;
  bool TimesByHandle(const std::string& path, FileTimes* times) override;
  bool SetTimes(const std::string& path, const FileTimes& times) override;
  int VolumeType(const std::string& path) override;
  bool DiskFree(const std::string& path, uint64_t* freeBytes) override;
  DiskKind DiskKindOf(const std::string&) override { return diskKind; }
  std::optional<uint64_t> BlocksReadByThisThread() override {
    return blocksReadByThisThread ? blocksReadByThisThread() : std::nullopt;
  }

  int volumeType = kVolumeOther;
  DiskKind diskKind = DiskKind::kUnknown;
  // The blocks the calling thread had read from disks; none: not counted.
  std::function<std::optional<uint64_t>()> blocksReadByThisThread;
  uint64_t freeBytes = 0;
  bool diskFreeFails = false;
  std::vector<std::string> diskFreeQueries;  // the paths asked about, in order

 private:
  struct Node {
    FindEntry entry;
    std::string content;
    bool dotEntries = true;
    std::vector<std::pair<std::string, std::string>> streams;  // name, content
  };
  struct OpenFile {
    std::shared_ptr<Node> node;  // null once closed
    uint64_t position = 0;
  };

  // The calls below take mutex_ themselves; these expect it taken.
  std::shared_ptr<Node> Find(const std::string& path);
  Node& Add(const std::string& path, uint32_t attributes);
  FileHandle Open(const std::string& path, const std::set<std::string>& failing);
  FileHandle Opening(std::shared_ptr<Node> node);
  OpenFile& Opened(FileHandle handle);

  mutable std::mutex mutex_;
  std::map<std::string, std::shared_ptr<Node>> nodes_;
  uint64_t nodesMade_ = 0;  // numbers the nodes' file ids
  std::vector<OpenFile> openFiles_;
  std::vector<std::string> searches_;
  std::vector<std::string> searchPatterns_;
};

}  // namespace korven

#endif  // KORVEN_TESTING_MEMORY_FILE_SYSTEM_H_
