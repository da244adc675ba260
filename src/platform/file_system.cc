#include "platform/file_system.h"

namespace korven {

// A directory search of every name serves where the platform has nothing quicker.
bool FileSystem::ListNames(const std::string& dir, std::vector<std::string>* names) {
  names->clear();
  std::vector<FindEntry> entries;
  if (!FindFiles(dir, "*.*", &entries)) return false;
  for (FindEntry& entry : entries) {
    if (entry.name != "." && entry.name != "..") names->push_back(std::move(entry.name));
  }
  return true;
}

}  // namespace korven
