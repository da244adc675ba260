#include "walk/walk_ahead.h"

#include <new>
#include <system_error>

#include "crc/crc_read_ahead.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "run/run.h"
#include "walk/exclusion.h"

namespace korven {

WalkAhead::WalkAhead(Run& run) : run_(run), readAhead_(run.readAhead) {
  if (readAhead_ == nullptr) return;
  searcher_ = run.fs.NewSearcher();
  if (!searcher_) return;
  try {
    thread_ = std::thread(&WalkAhead::SearchAll, this);
  } catch (const std::system_error&) {
    return;  // the walk queues each directory's files itself
  }
  run.filesQueuedAhead = true;
}

WalkAhead::~WalkAhead() {
  if (!thread_.joinable()) return;
  stopping_.store(true);
  readAhead_->StopQueuing();
  thread_.join();
  run_.filesQueuedAhead = false;
}

void WalkAhead::SearchAll() {
  try {
    for (const std::string& path : run_.values.searchPaths) {
      if (!Search(path)) return;
    }
  } catch (const std::bad_alloc&) {
    // Out of memory here: the listing reads the files not queued itself.
  }
}

bool WalkAhead::Search(const std::string& path) {
  if (stopping_.load(std::memory_order_relaxed)) return false;
  if (path.size() + 3 >= kPathBufferSize) return true;
  std::vector<FindEntry> entries;
  if (!searcher_->FindFiles(path, "*.*", FindDetail::kTypes, &entries) || entries.empty()) return true;
  if (run_.settings.recurse) {
    for (const FindEntry& entry : entries) {
      if (!entry.IsDirectory() || entry.name == "." || entry.name == "..") continue;
      if (!Search(path + entry.name + kPathSeparator)) return false;
    }
  }
  for (const std::string& type : run_.values.searchTypes) {
    if (!type.empty() && type.front() == '-') break;
    if (path.size() + type.size() >= kPathBufferSize) continue;
    entries.clear();
    if (!searcher_->FindFiles(path, type, FindDetail::kTypes, &entries)) continue;
    for (const FindEntry& entry : entries) {
      if (IsListedFile(run_, path, entry) && !readAhead_->Queue(path + entry.name, true)) return false;
    }
  }
  return true;
}

}  // namespace korven
