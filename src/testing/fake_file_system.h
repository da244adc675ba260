// A FileSystem for unit tests that holds no files: it answers free-space
// queries with a given number of bytes, or fails them, and records them.
#ifndef KORVEN_TESTING_FAKE_FILE_SYSTEM_H_
#define KORVEN_TESTING_FAKE_FILE_SYSTEM_H_

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace korven {

class FakeFileSystem : public FileSystem {
 public:
  uint64_t freeBytes = 0;
  bool diskFreeFails = false;
  std::vector<std::string> diskFreeQueries;  // the paths asked about, in order
  int volumeType = kVolumeOther;

  bool FindFiles(const std::string&, const std::string&, std::vector<FindEntry>*) override {
    return false;
  }
  bool LookUp(const std::string&, FindEntry*) override { return false; }
  FileHandle OpenForReading(const std::string&) override { return kInvalidHandle; }
  FileHandle OpenFallback(const std::string&) override { return kInvalidHandle; }
  int64_t Read(FileHandle, void*, size_t) override { return -1; }
  bool Seek(FileHandle, uint64_t) override { return false; }
  void Close(FileHandle) override {}
  bool GetAttributes(const std::string&, uint32_t*) override { return false; }
  bool SetAttributes(const std::string&, uint32_t) override { return false; }
  bool TimesByHandle(const std::string&, FileTimes*) override { return false; }
  bool SetTimes(const std::string&, const FileTimes&) override { return false; }
  int VolumeType(const std::string&) override { return volumeType; }
  bool DiskFree(const std::string& path, uint64_t* free) override;
};

}  // namespace korven

#endif  // KORVEN_TESTING_FAKE_FILE_SYSTEM_H_
