#include "testing/memory_file_system.h"

#include <algorithm>
#include <cstring>

#include "platform/path.h"
#include "platform/wildcard_match.h"

namespace korven {

namespace {

std::string WithoutTrailingSeparator(std::string path) {
  if (path.size() > 1 && path.back() == kPathSeparator) path.pop_back();
  return path;
}

std::string BaseName(const std::string& path) {
  size_t separator = path.find_last_of(kPathSeparator);
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

}  // namespace

MemoryFileSystem::Node* MemoryFileSystem::Find(const std::string& path) {
  auto it = nodes_.find(WithoutTrailingSeparator(path));
  return it == nodes_.end() ? nullptr : &it->second;
}

MemoryFileSystem::Node& MemoryFileSystem::Add(const std::string& path, uint32_t attributes) {
  size_t separator = path.find_last_of(kPathSeparator);
  if (separator != std::string::npos && separator > 0 && Find(path.substr(0, separator)) == nullptr) {
    AddDirectory(path.substr(0, separator));
  }
  Node& node = nodes_[path];
  node.entry.name = BaseName(path);
  node.entry.attributes = attributes;
  return node;
}

void MemoryFileSystem::AddDirectory(const std::string& path) { Add(path, kAttrDirectory); }

void MemoryFileSystem::AddRootDirectory(const std::string& path) {
  Add(path, kAttrDirectory).dotEntries = false;
}

void MemoryFileSystem::AddFile(const std::string& path, const std::string& content,
                               const FileTimes& times) {
  Node& node = Add(path, kAttrArchive);
  node.content = content;
  node.entry.size = content.size();
  node.entry.times = times;
}

bool MemoryFileSystem::FindFiles(const std::string& dir, const std::string& pattern,
                                 std::vector<FindEntry>* found) {
  found->clear();
  searches_.push_back(dir);
  const Node* directory = Find(dir);
  if (directory == nullptr || !directory->entry.IsDirectory()) return false;
  std::vector<FindEntry> all;
  if (directory->dotEntries) {
    for (const char* dot : {".", ".."}) {
      FindEntry entry;
      entry.name = dot;
      entry.attributes = kAttrDirectory;
      all.push_back(entry);
    }
  }
  std::string prefix = WithoutTrailingSeparator(dir) + kPathSeparator;
  for (auto it = nodes_.lower_bound(prefix); it != nodes_.end() && it->first.starts_with(prefix); ++it) {
    if (it->first.find(kPathSeparator, prefix.size()) == std::string::npos) all.push_back(it->second.entry);
  }
  std::sort(all.begin(), all.end(),
            [](const FindEntry& a, const FindEntry& b) { return FindOrderLess(a.name, b.name); });
  for (const FindEntry& entry : all) {
    if (WildcardMatch(pattern, entry.name)) found->push_back(entry);
  }
  return !found->empty();
}

bool MemoryFileSystem::LookUp(const std::string& path, FindEntry* entry) {
  const Node* node = Find(path);
  if (node == nullptr) return false;
  *entry = node->entry;
  return true;
}

FileHandle MemoryFileSystem::OpenForReading(const std::string& path) {
  const Node* node = Find(path);
  if (node == nullptr) return kInvalidHandle;
  openFiles_.push_back(OpenFile{node, 0});
  return static_cast<FileHandle>(openFiles_.size() - 1);
}

FileHandle MemoryFileSystem::OpenFallback(const std::string& path) { return OpenForReading(path); }

int64_t MemoryFileSystem::Read(FileHandle handle, void* buffer, size_t count) {
  OpenFile& file = openFiles_.at(static_cast<size_t>(handle));
  const std::string& content = file.node->content;
  size_t position = std::min<uint64_t>(file.position, content.size());
  size_t taken = std::min(count, content.size() - position);
  memcpy(buffer, content.data() + position, taken);
  file.position = position + taken;
  return static_cast<int64_t>(taken);
}

bool MemoryFileSystem::Seek(FileHandle handle, uint64_t offset) {
  openFiles_.at(static_cast<size_t>(handle)).position = offset;
  return true;
}

void MemoryFileSystem::Close(FileHandle handle) {
  openFiles_.at(static_cast<size_t>(handle)).node = nullptr;
}

bool MemoryFileSystem::GetAttributes(const std::string& path, uint32_t* attributes) {
  const Node* node = Find(path);
  if (node == nullptr) return false;
  *attributes = node->entry.attributes;
  return true;
}

bool MemoryFileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  Node* node = Find(path);
  if (node == nullptr) return false;
  node->entry.attributes = attributes;
  return true;
}

bool MemoryFileSystem::TimesByHandle(const std::string& path, FileTimes* times) {
  const Node* node = Find(path);
  if (node == nullptr) return false;
  *times = node->entry.times;
  return true;
}

bool MemoryFileSystem::SetTimes(const std::string& path, const FileTimes& times) {
  Node* node = Find(path);
  if (node == nullptr) return false;
  node->entry.times = times;
  return true;
}

int MemoryFileSystem::VolumeType(const std::string&) { return volumeType; }

bool MemoryFileSystem::DiskFree(const std::string& path, uint64_t* free) {
  diskFreeQueries.push_back(path);
  if (diskFreeFails) return false;
  *free = freeBytes;
  return true;
}

}  // namespace korven
