#include "walk/walk_ahead.h"

#include <algorithm>
#include <new>
#include <span>
#include <system_error>

#include "crc/crc_read_ahead.h"
#include "platform/path.h"
#include "run/run.h"
#include "text/text.h"
#include "walk/exclusion.h"

namespace korven {

namespace {

// Files queued for the read-ahead under one lock.
constexpr size_t kFilesQueuedAtOnce = 256;
// Paths kept to be written over for the next directory's files.
constexpr size_t kMaxPathsKept = CrcReadAhead::kMaxQueued;

}  // namespace

WalkAhead::WalkAhead(Run& run) : run_(run), readAhead_(run.readAhead) {
  if (readAhead_ == nullptr) return;
  if (run.listingIsFile) outputName_.assign(run.values.outputPath, NameStart(run.values.outputPath));
  searcher_ = run.fs.NewSearcher();
  if (!searcher_) return;
  try {
    thread_ = std::thread(&WalkAhead::SearchAll, this);
  } catch (const std::system_error&) {
    return;  // the walk searches and queues each directory's files itself
  }
  run.walkAhead = this;
}

WalkAhead::~WalkAhead() {
  if (run_.walkAhead == this) run_.walkAhead = nullptr;
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_.store(true);
  }
  changed_.notify_all();
  readAhead_->StopQueuing();
  thread_.join();
}

bool WalkAhead::TakeSearch(const std::string& dir, const std::string& pattern, std::vector<FindEntry>* found,
                           bool* searched) {
  std::unique_lock<std::mutex> lock(mutex_);
  // Every search made ahead is taken, so the walk has passed every file
  // queued, and the search ahead, still queueing the files of one it took,
  // must not wait for room: the walk takes no file before the next search.
  // Handing that search on ends it. Not while the first files of the next
  // search are queued and it is about to be handed on: they are the walk's
  // next, and a helper may be reading one already, which the walk would read
  // again (with the access time the first read left, where that changes).
  if (searches_.empty() && !handingOn_) readAhead_->PassedOver(true);
  changed_.wait(lock, [this] { return !searches_.empty() || searchedAll_ || stopping_.load(); });
  if (stopping_.load()) return false;
  if (searches_.empty() || searches_.front().dir != dir || searches_.front().pattern != pattern) {
    GiveUp(lock);
    return false;
  }
  SearchMade& next = searches_.front();
  *searched = next.searched;
  found->swap(next.entries);
  searches_.pop_front();
  const bool room = searches_.size() <= kResumeSearchingAt;
  lock.unlock();
  if (room) changed_.notify_all();
  return true;
}

void WalkAhead::GiveUp(std::unique_lock<std::mutex>& lock) {
  stopping_.store(true);
  searches_.clear();
  lock.unlock();
  changed_.notify_all();
  readAhead_->StopQueuing();
  readAhead_->DropQueued();
  run_.walkAhead = nullptr;
}

void WalkAhead::SearchAll() {
  try {
    for (const std::string& path : run_.values.searchPaths) {
      if (!SearchTree(path)) return;
    }
  } catch (const std::bad_alloc&) {
    // Out of memory here: the walk waits for searches that never come, so
    // it is told the search is over and searches the rest itself.
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    searchedAll_ = true;
  }
  changed_.notify_all();
}

bool WalkAhead::Search(const std::string& dir, const std::string& pattern, std::vector<FindEntry>* entries) {
  entries->clear();
  return searcher_->FindFiles(dir, pattern, FindDetail::kTypes, entries);
}

bool WalkAhead::HandOn(const std::string& dir, const std::string& pattern, bool searched,
                       std::vector<FindEntry> entries) {
  SearchMade made{dir, pattern, searched, std::move(entries)};
  std::unique_lock<std::mutex> lock(mutex_);
  if (searches_.size() >= kMaxSearchesAhead) {
    changed_.wait(lock, [this] { return searches_.size() <= kResumeSearchingAt || stopping_.load(); });
  }
  handingOn_ = false;
  if (stopping_.load()) return false;
  // Under the lock the walk sets it with, so that no later file of this
  // search is taken for one the walk passed.
  if (searches_.empty()) readAhead_->PassedOver(false);
  searches_.push_back(std::move(made));
  lock.unlock();
  changed_.notify_all();
  return true;
}

bool WalkAhead::QueueFilesAndHandOn(const std::string& dir, const std::string& pattern,
                                    std::vector<FindEntry> entries) {
  // Written over in place: Queue hands back the paths of recycled jobs, so
  // once their room has grown, making a path allocates nothing.
  size_t count = 0;
  for (const FindEntry& entry : entries) {
    // The output file is read in its turn, with what has been written to it
    // by then, as it is by a run of one thread.
    if (IsListedFile(run_, dir, entry) && !EqualsIgnoreCase(entry.name, outputName_)) {
      if (count == paths_.size()) paths_.emplace_back();
      paths_[count].assign(dir).append(entry.name);
      ++count;
    }
  }
  // The first files go in without waiting for room: the walk, waiting for
  // this search, takes none before it has it.
  const std::span<std::string> all(paths_.data(), count);
  const size_t first = std::min(count, kFilesQueuedAtOnce);
  if (first > 0) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      handingOn_ = true;
    }
    if (!readAhead_->Queue(all.first(first), false)) {
      std::lock_guard<std::mutex> lock(mutex_);
      handingOn_ = false;
      return false;
    }
  }
  if (!HandOn(dir, pattern, true, std::move(entries))) return false;
  for (size_t at = first; at < count; at += kFilesQueuedAtOnce) {
    if (!readAhead_->Queue(all.subspan(at, std::min(kFilesQueuedAtOnce, count - at)))) return false;
  }
  // A huge directory's paths are not kept for the rest of the run.
  if (paths_.size() > kMaxPathsKept) std::vector<std::string>().swap(paths_);
  return true;
}

bool WalkAhead::SearchTree(const std::string& path) {
  if (stopping_.load(std::memory_order_relaxed)) return false;
  if (!FitsPathBuffer(path, "*.*")) return true;
  std::vector<FindEntry> entries;
  const bool searched = Search(path, "*.*", &entries);
  const bool foundAny = searched && !entries.empty();
  // Only the subdirectories are kept: the walk gets the entries themselves.
  std::vector<std::string> subdirectories;
  if (foundAny && run_.settings.recurse) {
    for (const FindEntry& entry : entries) {
      if (entry.IsDirectory() && !IsDotEntry(entry.name)) subdirectories.push_back(path + entry.name + kPathSeparator);
    }
  }
  if (!HandOn(path, "*.*", searched, std::move(entries))) return false;
  if (!foundAny) return true;
  for (const std::string& subdirectory : subdirectories) {
    if (!SearchTree(subdirectory)) return false;
  }
  for (const std::string& type : run_.values.searchTypes) {
    if (!type.empty() && type.front() == '-') break;
    if (!FitsPathBuffer(path, type)) continue;
    const bool found = Search(path, type, &entries);
    // The walk gets this search's entries; the next search fills them anew.
    if (!(found ? QueueFilesAndHandOn(path, type, std::move(entries)) : HandOn(path, type, false, {}))) return false;
  }
  return true;
}

}  // namespace korven
