#include "testing/fake_file_system.h"

namespace korven {

bool FakeFileSystem::DiskFree(const std::string& path, uint64_t* free) {
  diskFreeQueries.push_back(path);
  if (diskFreeFails) return false;
  *free = freeBytes;
  return true;
}

}  // namespace korven
