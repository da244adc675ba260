// Searching ahead of the walk: a thread of its own walks the search paths in
// the walk's order, with a file system of its own, and queues every file the
// walk will list for the read-ahead, so that the files of directories still
// to come are read while the listing writes the records of earlier ones.
// The walk reads each directory again itself, from what the search ahead
// brought into memory: what it finds decides the listing, and a file the
// two disagree on (changed in between) is read by the listing itself.
#ifndef KORVEN_WALK_WALK_AHEAD_H_
#define KORVEN_WALK_WALK_AHEAD_H_

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace korven {

class CrcReadAhead;
class FileSystem;
struct Run;

class WalkAhead {
 public:
  // Starts searching when the run reads ahead and the platform gives a
  // searcher. The run's search paths are normal by now.
  explicit WalkAhead(Run& run);
  // Stops the search and waits for it.
  ~WalkAhead();
  WalkAhead(const WalkAhead&) = delete;
  WalkAhead& operator=(const WalkAhead&) = delete;

 private:
  void SearchAll();
  // One search path or subdirectory (ending in the separator), as WalkPath
  // and ListDirectory go through it; false once the read-ahead takes no more.
  bool Search(const std::string& path);

  Run& run_;
  CrcReadAhead* readAhead_;
  std::unique_ptr<FileSystem> searcher_;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace korven

#endif  // KORVEN_WALK_WALK_AHEAD_H_
