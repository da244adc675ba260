// An in-memory file system for unit tests: a tree of directories and files
// searched with the Win32 wildcard rules and order, like the real ones.
#ifndef KORVEN_TESTING_MEMORY_FILE_SYSTEM_H_
#define KORVEN_TESTING_MEMORY_FILE_SYSTEM_H_

#include <map>
#include <string>
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

  // The directories searched, in order, one per FindFiles call.
  const std::vector<std::string>& searches() const { return searches_; }

  bool FindFiles(const std::string& dir, const std::string& pattern,
                 std::vector<FindEntry>* found) override;
  bool LookUp(const std::string& path, FindEntry* entry) override;
  FileHandle OpenForReading(const std::string& path) override;
  FileHandle OpenFallback(const std::string& path) override;
  int64_t Read(FileHandle handle, void* buffer, size_t count) override;
  bool Seek(FileHandle handle, uint64_t offset) override;
  void Close(FileHandle handle) override;
  bool GetAttributes(const std::string& path, uint32_t* attributes) override;
  bool SetAttributes(const std::string& path, uint32_t attributes) override;
  bool TimesByHandle(const std::string& path, FileTimes* times) override;
  bool SetTimes(const std::string& path, const FileTimes& times) override;
  int VolumeType(const std::string& path) override;
  bool DiskFree(const std::string& path, uint64_t* freeBytes) override;

  int volumeType = kVolumeOther;
  uint64_t freeBytes = 0;
  bool diskFreeFails = false;
  std::vector<std::string> diskFreeQueries;  // the paths asked about, in order

 private:
  struct Node {
    FindEntry entry;
    std::string content;
    bool dotEntries = true;
  };
  struct OpenFile {
    const Node* node = nullptr;
    uint64_t position = 0;
  };

  Node* Find(const std::string& path);
  Node& Add(const std::string& path, uint32_t attributes);

  std::map<std::string, Node> nodes_;
  std::vector<OpenFile> openFiles_;
  std::vector<std::string> searches_;
};

}  // namespace korven

#endif  // KORVEN_TESTING_MEMORY_FILE_SYSTEM_H_
