// Searching ahead of the walk: a thread of its own walks the search paths in
// the walk's order, with a file system of its own, hands the walk each
// directory search it made, in turn, and queues every file the walk will
// list for the read-ahead, so that the directories and files still to come
// are read while the listing writes the records of earlier ones. The walk
// lists what the searches ahead found: should it ever ask for another search
// than the next one made ahead, it searches itself from then on.
#ifndef KORVEN_WALK_WALK_AHEAD_H_
#define KORVEN_WALK_WALK_AHEAD_H_

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_system.h"

namespace korven {

class CrcReadAhead;
struct Run;

class WalkAhead {
 public:
  // Searches made ahead and not yet taken by the walk, at most. Once there
  // are that many, the search ahead waits until the walk has taken half of
  // them, so that the two threads meet once per many searches, not for each.
  static constexpr size_t kMaxSearchesAhead = 256;
  static constexpr size_t kResumeSearchingAt = kMaxSearchesAhead / 2;

  // Starts searching when the run reads ahead and the platform gives a
  // searcher, and registers with the run. The run's search paths are normal
  // by now.
  explicit WalkAhead(Run& run);
  // Stops the search, waits for it and unregisters.
  ~WalkAhead();
  WalkAhead(const WalkAhead&) = delete;
  WalkAhead& operator=(const WalkAhead&) = delete;

  // The walk's search of `dir` for `pattern`, as made ahead: true with its
  // result in `*searched` and its entries in `found`; false when the walk
  // must search itself.
  bool TakeSearch(const std::string& dir, const std::string& pattern, std::vector<FindEntry>* found,
                  bool* searched);

 private:
  struct SearchMade {
    std::string dir;
    std::string pattern;
    bool searched = false;
    std::vector<FindEntry> entries;
  };

  void SearchAll();
  // One search path or subdirectory (ending in the separator), as WalkPath
  // and ListDirectory go through it; false once the walk takes no more.
  bool SearchTree(const std::string& path);
  // Searches `dir` for `pattern` into `entries`; true when it was searched.
  bool Search(const std::string& dir, const std::string& pattern, std::vector<FindEntry>* entries);
  // Hands the walk a search made; false once the walk takes no more.
  bool HandOn(const std::string& dir, const std::string& pattern, bool searched, std::vector<FindEntry> entries);
  // Queues the files of `entries` the walk lists, handing the search on
  // once the first of them are queued, so that the walk finds them queued;
  // false once the walk or the read-ahead takes no more.
  bool QueueFilesAndHandOn(const std::string& dir, const std::string& pattern, std::vector<FindEntry> entries);
  // The walk asked for another search: it searches itself from now on.
  void GiveUp(std::unique_lock<std::mutex>& lock);

  Run& run_;
  CrcReadAhead* readAhead_;
  std::unique_ptr<FileSystem> searcher_;
  std::string outputName_;  // the name of the output file, never read ahead
  std::thread thread_;
  // The paths of the files queued last, each holding a recycled job's room.
  std::vector<std::string> paths_;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<SearchMade> searches_;
  // The first files of a search are queued and the search is not yet
  // handed on: the walk, waiting for it, has not passed them.
  bool handingOn_ = false;
  bool searchedAll_ = false;
  std::atomic<bool> stopping_{false};
};

}  // namespace korven

#endif  // KORVEN_WALK_WALK_AHEAD_H_
