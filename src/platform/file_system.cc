#include "platform/file_system.h"

#include <algorithm>

namespace korven {

// A directory search of every name serves where the platform has nothing quicker.
bool FileSystem::ListNames(const std::string& dir, std::vector<std::string>* names) {
  names->clear();
  std::vector<FindEntry> entries;
  if (!FindFiles(dir, "*.*", FindDetail::kTypes, &entries)) return false;
  for (FindEntry& entry : entries) {
    if (entry.name != "." && entry.name != "..") names->push_back(std::move(entry.name));
  }
  return true;
}

void FileSystem::OpenAllForReading(std::span<const std::string* const> /*paths*/, std::span<FileHandle> handles) {
  std::fill(handles.begin(), handles.end(), kInvalidHandle);
}

FileId IdOf(FileSystem& fs, const std::string& path) {
  FindEntry entry;
  // Both opens, as a file is read: on Win32 only the second takes a file
  // that this program has open for writing.
  FileHandle handle = fs.OpenForReading(path);
  if (handle == kInvalidHandle) handle = fs.OpenFallback(path);
  if (handle == kInvalidHandle) return FileId();
  const bool described = fs.Describe(handle, &entry);
  fs.Close(handle);
  return described ? entry.id : FileId();
}

}  // namespace korven
