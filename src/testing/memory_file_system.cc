#include "testing/memory_file_system.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/path.h"
#include "platform/wildcard_match.h"

namespace korven {

namespace {

std::string WithoutTrailingSeparator(std::string path) {
  if (path.size() > 1 && path.back() == kPathSeparator) path.pop_back();
  return path;
}

std::string BaseName(const std::string& path) { return path.substr(NameStart(path)); }

}  // namespace

std::shared_ptr<MemoryFileSystem::Node> MemoryFileSystem::Find(const std::string& path) {
  auto it = nodes_.find(WithoutTrailingSeparator(path));
  return it == nodes_.end() ? nullptr : it->second;
}

MemoryFileSystem::Node& MemoryFileSystem::Add(const std::string& path, uint32_t attributes) {
  size_t separator = path.find_last_of(kPathSeparator);
  if (separator != std::string::npos && separator > 0 && Find(path.substr(0, separator)) == nullptr) {
    Add(path.substr(0, separator), kAttrDirectory);
  }
  std::shared_ptr<Node>& node = nodes_[path];
  if (!node) {
    node = std::make_shared<Node>();
    node->entry.id = FileId{1, ++nodesMade_};
  }
  node->entry.name = BaseName(path);
  node->entry.attributes = attributes;
  return *node;
}

void MemoryFileSystem::AddDirectory(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  Add(path, kAttrDirectory);
}

void MemoryFileSystem::AddRootDirectory(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  Add(path, kAttrDirectory).dotEntries = false;
}

void MemoryFileSystem::AddFile(const std::string& path, const std::string& content,
                               const FileTimes& times) {
  std::lock_guard<std::mutex> lock(mutex_);
  Node& node = Add(path, kAttrArchive);
  node.content = content;
  node.entry.size = content.size();
  node.entry.times = times;
}

void MemoryFileSystem::AddStream(const std::string& path, const std::string& streamName,
                                 const std::string& content) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::shared_ptr<Node> node = Find(path);
  if (node != nullptr) node->streams.emplace_back(streamName, content);
}

void MemoryFileSystem::SetContent(const std::string& path, const std::string& content) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::shared_ptr<Node> node = Find(path);
  if (node == nullptr) return;
  node->content = content;
  node->entry.size = content.size();
}

void MemoryFileSystem::RemoveFile(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  nodes_.erase(WithoutTrailingSeparator(path));
}

std::string MemoryFileSystem::Content(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::shared_ptr<Node> node = Find(path);
  return node == nullptr ? "" : node->content;
}

void MemoryFileSystem::SetReportedSize(const std::string& path, uint64_t size) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::shared_ptr<Node> node = Find(path);
  if (node != nullptr) node->entry.size = size;
}

int MemoryFileSystem::openFiles() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(std::count_if(openFiles_.begin(), openFiles_.end(),
                                        [](const OpenFile& file) { return file.node != nullptr; }));
}

std::unique_ptr<FileSystem> MemoryFileSystem::NewSearcher() {
  if (searchersBeforeNoMemory == 0) throw std::bad_alloc();
  if (searchersBeforeNoMemory > 0) --searchersBeforeNoMemory;
  return nullptr;
}

bool MemoryFileSystem::FindFiles(const std::string& dir, const std::string& pattern, FindDetail detail,
                                 std::vector<FindEntry>* found) {
  std::lock_guard<std::mutex> lock(mutex_);
  found->clear();
  searches_.push_back(dir);
  searchPatterns_.push_back(pattern);
  std::shared_ptr<Node> directory = Find(dir);
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
    if (it->first.find(kPathSeparator, prefix.size()) == std::string::npos) all.push_back(it->second->entry);
  }
  SortInFindOrder(&all);
  for (const FindEntry& entry : all) {
    if (!WildcardMatch(pattern, entry.name)) continue;
    if (detail == FindDetail::kFull) {
      found->push_back(entry);
    } else {
      FindEntry types;
      types.name = entry.name;
      types.attributes = entry.attributes & (kAttrDirectory | kAttrReparsePoint);
      found->push_back(types);
    }
  }
  return !found->empty();
}

bool MemoryFileSystem::LookUp(const std::string& path, FindEntry* entry) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::shared_ptr<Node> node = Find(path);
  if (node == nullptr) return false;
  *entry = node->entry;
  return true;
}

FileHandle MemoryFileSystem::Open(const std::string& path, const std::set<std::string>& failing) {
  if (beforeOpen) {
    // The hook may change the tree, which takes the lock itself.
    mutex_.unlock();
    beforeOpen(path);
    mutex_.lock();
  }
  std::shared_ptr<Node> node = Find(path);
  if (node == nullptr || failing.count(path) != 0) return kInvalidHandle;
  return Opening(node);
}

FileHandle MemoryFileSystem::Opening(std::shared_ptr<Node> node) {
  openFiles_.push_back(OpenFile{std::move(node), 0});
  return static_cast<FileHandle>(openFiles_.size() - 1);
}

MemoryFileSystem::OpenFile& MemoryFileSystem::Opened(FileHandle handle) {
  return openFiles_.at(static_cast<size_t>(handle));
}

FileHandle MemoryFileSystem::OpenForReading(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++opensForReading;
  return Open(path, failOpenForReading);
}

void MemoryFileSystem::OpenAllForReading(std::span<const std::string* const> paths, std::span<FileHandle> handles) {
  if (!opensAllAtOnce) return FileSystem::OpenAllForReading(paths, handles);
  for (size_t i = 0; i < paths.size(); ++i) handles[i] = OpenForReading(*paths[i]);
}

FileHandle MemoryFileSystem::OpenFallback(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++fallbackOpens;
  return Open(path, failOpenFallback);
}

FileHandle MemoryFileSystem::OpenForUpdate(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  return Open(path, failOpenForUpdate);
}

int64_t MemoryFileSystem::Read(FileHandle handle, void* buffer, size_t count) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++reads;
  if (readsBeforeError == 0) return -1;
  if (readsBeforeError > 0) --readsBeforeError;
  if (readLimit != 0) count = std::min(count, readLimit);
  OpenFile& file = Opened(handle);
  const std::string& content = file.node->content;
  size_t position = std::min<uint64_t>(file.position, content.size());
  size_t taken = std::min(count, content.size() - position);
  memcpy(buffer, content.data() + position, taken);
  file.position = position + taken;
  return static_cast<int64_t>(taken);
}

bool MemoryFileSystem::Seek(FileHandle handle, uint64_t offset) {
  std::lock_guard<std::mutex> lock(mutex_);
  Opened(handle).position = offset;
  return true;
}

void MemoryFileSystem::Close(FileHandle handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++closes;
  Opened(handle).node = nullptr;
}

bool MemoryFileSystem::Describe(FileHandle handle, FindEntry* entry) {
  std::lock_guard<std::mutex> lock(mutex_);
  const FindEntry& now = Opened(handle).node->entry;
  entry->attributes = now.attributes | (entry->attributes & kAttrReparsePoint);
  entry->size = now.size;
  entry->times = now.times;
  entry->id = now.id;
  return true;
}

int64_t MemoryFileSystem::Write(FileHandle handle, const void* data, size_t count) {
  std::lock_guard<std::mutex> lock(mutex_);
  OpenFile& file = Opened(handle);
  std::string& content = file.node->content;
  // A disk that fills up takes what fits, then the write fails.
  size_t fits = roomLeft < 0 ? count : std::min(count, static_cast<size_t>(roomLeft));
  if (file.position > content.size()) content.resize(file.position, '\0');
  content.replace(file.position, std::min<size_t>(fits, content.size() - file.position),
                  static_cast<const char*>(data), fits);
  file.position += fits;
  file.node->entry.size = content.size();
  if (roomLeft >= 0) roomLeft -= static_cast<int64_t>(fits);
  return fits < count ? -1 : static_cast<int64_t>(count);
}

int64_t MemoryFileSystem::SeekToEnd(FileHandle handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  OpenFile& file = Opened(handle);
  file.position = file.node->content.size();
  return static_cast<int64_t>(file.position);
}

bool MemoryFileSystem::SetLength(FileHandle handle, uint64_t length) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (failSetLength) return false;
  OpenFile& file = Opened(handle);
  file.node->content.resize(length, '\0');
  file.node->entry.size = length;
  return true;
}

StreamsRead MemoryFileSystem::NamedStreams(const std::string& path, std::vector<StreamEntry>* streams) {
  std::lock_guard<std::mutex> lock(mutex_);
  streams->clear();
  std::shared_ptr<Node> node = Find(path);
  if (node == nullptr) return StreamsRead::kRead;
  for (const auto& [name, content] : node->streams) streams->push_back(StreamEntry{name, content.size(), 0});
  return streamsRead;
}

FileHandle MemoryFileSystem::OpenStream(const std::string& path, const std::string& streamName) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::shared_ptr<Node> node = Find(path);
  if (node == nullptr) return kInvalidHandle;
  for (const auto& [name, content] : node->streams) {
    if (name != streamName) continue;
    // The stream's own bytes, read like a file's.
    auto stream = std::make_shared<Node>();
    stream->content = content;
    return Opening(std::move(stream));
  }
  return kInvalidHandle;
}

bool MemoryFileSystem::GetAttributes(const std::string& path, uint32_t* attributes) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::shared_ptr<Node> node = Find(path);
  if (node == nullptr) return false;
  *attributes = node->entry.attributes;
  return true;
}

bool MemoryFileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::shared_ptr<Node> node = Find(path);
  if (node == nullptr) return false;
  node->entry.attributes = attributes;
  return true;
}

bool MemoryFileSystem::TimesByHandle(const std::string& path, FileTimes* times) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::shared_ptr<Node> node = Find(path);
  if (node == nullptr) return false;
  *times = node->entry.times;
  return true;
}

bool MemoryFileSystem::SetTimes(const std::string& path, const FileTimes& times) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::shared_ptr<Node> node = Find(path);
  if (node == nullptr || failSetTimes.count(path) != 0) return false;
  node->entry.times = times;
  return true;
}

int MemoryFileSystem::VolumeType(const std::string&) { return volumeType; }

bool MemoryFileSystem::DiskFree(const std::string& path, uint64_t* free) {
  std::lock_guard<std::mutex> lock(mutex_);
  diskFreeQueries.push_back(path);
  if (diskFreeFails) return false;
  *free = freeBytes;
  return true;
}

}  // namespace korven
