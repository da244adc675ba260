// Reading ahead of the listing: files are queued in the order the listing
// will read them, helper threads read them from the front of the queue and
// compute their CRC-32, so that the system calls of many files are in flight
// at once, and the listing takes each result in its turn. A file no helper
// has started yet the listing reads itself, so it never waits for a helper
// that is behind. When the run lists named streams, a helper lists each
// file's streams too, through the descriptor its CRC-32 read.
#ifndef KORVEN_CRC_CRC_READ_AHEAD_H_
#define KORVEN_CRC_CRC_READ_AHEAD_H_

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "crc/file_crc.h"

namespace korven {

struct FindEntry;
struct Run;

// Whether reading ahead can only speed this run up without changing what it
// does: the file system reads in parallel and the run reads every file it is
// handed exactly once, unchanged (no date or size filter leaving files
// unread, no signature written or checked).
bool ReadAheadSuits(const Run& run);

class CrcReadAhead {
 public:
  // Files queued and not yet taken by the listing beyond which Queue waits
  // for room. The first files of each directory search made ahead go in
  // regardless (the listing takes none of them before it has the search),
  // so with the searches ahead bounded too, the memory reading ahead holds
  // is bounded, however many files a tree has.
  static constexpr size_t kMaxQueued = 2048;
  // A producer that waited for room goes on once no more than this many
  // are queued: it and the listing meet once per many files taken.
  static constexpr size_t kResumeQueuingAt = kMaxQueued / 2;

  struct HelperCount {
    unsigned helpers = 0;
    // Helpers that read from the start; the others start once reads show
    // that the files come from the disk, and read only while they do.
    unsigned startedAtFirst = 0;
  };

  // Starts `helpers.startedAtFirst` helper threads, up to `helpers.helpers`
  // in all (fewer when memory or threads run short), and registers with the
  // run, whose FileCrc then asks it first.
  CrcReadAhead(Run& run, const HelperCount& helpers);
  CrcReadAhead(Run& run, unsigned helpers) : CrcReadAhead(run, HelperCount{helpers, helpers}) {}
  // Stops and joins the helpers and unregisters.
  ~CrcReadAhead();
  CrcReadAhead(const CrcReadAhead&) = delete;
  CrcReadAhead& operator=(const CrcReadAhead&) = delete;

  // The helpers for this run: --threads=N gives N - 1 besides the listing;
  // by default many on a solid-state or virtual disk, whose queue serves
  // many requests at once, and one on a spinning disk, where parallel reads
  // would make the heads seek back and forth. None where reading ahead does
  // not suit the run.
  static HelperCount HelpersFor(const Run& run);

  // Queues `paths` to be read, in order, after every file queued before
  // them: takes the strings over and leaves in their place strings of jobs
  // done with, to be written over. With `waitForRoom` waits while
  // kMaxQueued files are queued. False when the read-ahead takes no more
  // files or has no helpers.
  bool Queue(std::span<std::string> paths, bool waitForRoom = true);
  // Drops every queued file the listing has not taken; a helper reading one
  // stops at its next chunk.
  void DropQueued();
  // While the listing has passed every file queued (it waits for the next
  // directory search and has none to take), those files are dropped, and so
  // are the ones queued with `waitForRoom` until PassedOver(false): the
  // producer, behind the listing, would otherwise wait for room for ever.
  void PassedOver(bool passed);
  // Wakes a producer waiting for room and refuses further files.
  void StopQueuing();

  // Called by FileCrc, in listing order: true with the outcome when a helper
  // read `path` from `startOffset`; false when the listing should read it
  // itself (no helper had started it, or it is not queued near the front).
  // Files queued before it that the listing passed over are dropped.
  bool Take(const std::string& path, int64_t startOffset, CrcOutcome* outcome);

  size_t helperCount();  // the helpers started so far

 private:
  // A job goes from waiting to reading once, by the thread that begins it:
  // a helper that took it (claimed) or the listing that got to it first.
  enum class State { kWaiting, kClaimed, kReading, kDone };
  struct Job {
    std::string path;
    std::atomic<State> state{State::kWaiting};
    CrcOutcome outcome;  // set before state becomes kDone
    std::atomic<bool> dropped{false};
  };

  // What one thread reads files ahead with: a file system of its own where
  // the platform has one (it keeps the descriptor of the directory read
  // last; used while the files come from memory), and a chunk of its own.
  struct Reader {
    std::unique_ptr<FileSystem> ownFileSystem;  // null: the run's
    std::unique_ptr<unsigned char[]> block;
    unsigned char* chunk = nullptr;
    uint64_t blocksRead = 0;  // by its thread, as of its last slow read
  };
  // A reader with its chunk allocated; null when memory runs short.
  std::unique_ptr<Reader> NewReader();
  // Starts helpers until `count` run, or memory or threads run short.
  void StartHelpers(size_t count);

  // Drops every job queued, with mutex_ held; a helper reading one stops at
  // its next chunk.
  void DropJobs();
  // Keeps `job` to be queued again when the caller's is the last reference
  // to it (neither the queue, the listing nor a helper holds it any more);
  // with mutex_ held.
  void Recycle(std::shared_ptr<Job>& job);
  // Makes the caller the one to read `job`: false when another thread began it.
  static bool Begin(Job& job);
  // The file system `reader` reads files from memory with: its own where it
  // has one.
  FileSystem& MemoryReadsOf(Reader& reader);
  // Reads `job` through `reader` unless it was dropped or another thread
  // began it (false), and tells the listing when it waits. The listing
  // passes the file it waits for. `opened`, where valid, is the job's file
  // opened already by MemoryReadsOf(reader), which is closed either way.
  bool ReadJob(Reader& reader, Job& job, const Job* awaited, FileHandle opened = kInvalidHandle);
  // Counts `files` reads through `reader` that took `took` together as
  // slow or fast; once the files come from the disk, every helper wanted
  // reads, and once they come from memory again, only the first few.
  void NoteReadTime(Reader& reader, std::chrono::steady_clock::duration took, size_t files);
  // The listing, waiting for `awaited`, reads the first file no one has
  // started, with `lock` held on entry and on return; false when none is left.
  bool StartNextJob(std::unique_lock<std::mutex>& lock, const Job* awaited);
  // The life of a helper: a share of the front files no one has started,
  // until shutdown. A helper `forTheDisk` reads only while the files come
  // from the disk.
  void Help(Reader& reader, bool forTheDisk);

  Run& run_;
  int64_t startOffset_;
  bool readsStreams_;
  // Added to under mutex_, into room made for every helper wanted; after
  // shutdown_ no more are added.
  std::vector<std::thread> helpers_;
  std::vector<std::unique_ptr<Reader>> helperReaders_;
  std::unique_ptr<Reader> listingReader_;  // for files the listing reads while it waits
  const unsigned wantedHelpers_;
  const unsigned startedAtFirst_;  // at most the helpers wanted
  bool hasHelpers_ = false;        // fixed before the run can queue files

  std::mutex mutex_;
  std::condition_variable queued_;   // helpers wait here for a file
  std::condition_variable read_;     // the listing waits here for a file a helper reads
  std::condition_variable room_;     // a producer waits here for room
  // Jobs in listing order; a helper reading one shares it, so a job dropped
  // while it is read lives until its helper is done.
  std::deque<std::shared_ptr<Job>> jobs_;
  // Jobs the listing is done with, queued again: their paths keep their
  // room, so that once reading ahead runs it allocates nothing per file.
  std::vector<std::shared_ptr<Job>> spare_;
  // Spare jobs kept at most. Besides kMaxQueued, the first files of the
  // searches ahead are queued: a queue of many small directories holds
  // several times kMaxQueued jobs.
  static constexpr size_t kMaxSpare = 4 * kMaxQueued;
  size_t started_ = 0;  // jobs at the front that a thread has claimed or begun
  bool shutdown_ = false;
  // Reads come from the disk: every helper wanted reads, one file at a
  // time. Set once slow reads outnumber fast ones by kSlowReadsFromDisk,
  // cleared once they no longer outnumber them at all, under mutex_.
  std::atomic<bool> waitingOnDisk_{false};
  std::atomic<int> slowReadBalance_{0};  // slow reads less fast ones, from 0 to kSlowReadsFromDisk
  std::atomic<bool> listingWaits_{false};  // the listing sleeps on read_, set under mutex_
  bool queuing_ = true;
  bool passedOver_ = false;
  std::atomic<bool> stopping_{false};
};

// Queues the files of one batch (a directory search's files, a part of a
// listing to check) for the scope of their reading, and drops what the
// listing did not take on every way out, an interrupt ending the run included.
class CrcReadAheadBatch {
 public:
  CrcReadAheadBatch(Run& run, const std::string& dir, const std::vector<const FindEntry*>& files);
  ~CrcReadAheadBatch();

 private:
  CrcReadAhead* readAhead_;
};

}  // namespace korven

#endif  // KORVEN_CRC_CRC_READ_AHEAD_H_
