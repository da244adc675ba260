// Reading ahead of the listing: while the listing works through the files of
// one directory search in order, helper threads read the files after the
// current one and compute their CRC-32, so that the system calls of several
// files are in flight at once. The listing takes each result in its turn; a
// file no helper has started yet it reads itself, so it never waits for a
// helper that is behind. When the run lists named streams, a helper lists
// each file's streams too, through the descriptor its CRC-32 read.
#ifndef KORVEN_CRC_CRC_READ_AHEAD_H_
#define KORVEN_CRC_CRC_READ_AHEAD_H_

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
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
  // Starts up to `helpers` helper threads (fewer when memory or threads run
  // short) and registers with the run, whose FileCrc then asks it first.
  CrcReadAhead(Run& run, unsigned helpers);
  // Stops and joins the helpers and unregisters.
  ~CrcReadAhead();
  CrcReadAhead(const CrcReadAhead&) = delete;
  CrcReadAhead& operator=(const CrcReadAhead&) = delete;

  // The helpers for a run on this machine: one fewer than its processors,
  // at most three; none where reading ahead does not suit the run.
  static unsigned HelpersFor(const Run& run);

  // The files of directory `dir` the listing is about to read, in the order
  // it will read them. Ends any earlier batch.
  void Begin(const std::string& dir, const std::vector<const FindEntry*>& files);
  // Cancels the files not started and waits for those being read.
  void End();

  // Called by FileCrc, in listing order: true with the outcome when a helper
  // read `path` from `startOffset`; false when the listing should read it
  // itself (no helper had started it, or it is not part of the batch).
  bool Take(const std::string& path, int64_t startOffset, CrcOutcome* outcome);

  size_t helperCount() const { return helpers_.size(); }

 private:
  enum State : int { kWaiting, kReading, kDone, kTaken };
  struct Job {
    std::string path;
    std::atomic<int> state{kWaiting};
    CrcOutcome outcome;
  };

  // Claims the next file no one has started and reads it through `chunk`;
  // false when none is left. The listing passes the job it waits for.
  bool ReadNextJob(unsigned char* chunk, const Job* awaited);
  // Waits until the helper reading `job` has its outcome.
  void WaitUntilRead(Job& job);
  // A helper thread's life: batches as they come, until shutdown.
  void Help(unsigned char* chunk);

  Run& run_;
  int64_t startOffset_;
  bool readsStreams_;
  std::vector<std::thread> helpers_;
  std::vector<std::unique_ptr<unsigned char[]>> buffers_;
  unsigned char* listingChunk_ = nullptr;  // for files the listing reads ahead while it waits

  std::mutex mutex_;
  std::condition_variable batchReady_;  // helpers wait here for a batch
  std::condition_variable helpersIdle_;  // End waits here for the helpers
  std::condition_variable jobRead_;      // the listing waits here for a file a helper reads
  uint64_t batch_ = 0;                   // number of the current batch
  int busyHelpers_ = 0;
  bool shutdown_ = false;

  // Changed only under mutex_ while no helper is busy.
  std::unique_ptr<Job[]> jobs_;
  size_t jobCount_ = 0;

  std::atomic<size_t> nextJob_{0};    // the next job a helper may claim
  std::atomic<bool> stopping_{false};  // End cuts reads short
  size_t cursor_ = 0;                  // the listing's place in the batch
};

// Runs one batch for the scope of a directory search's files: ends it on
// every way out, an interrupt ending the run included.
class CrcReadAheadBatch {
 public:
  CrcReadAheadBatch(Run& run, const std::string& dir, const std::vector<const FindEntry*>& files);
  ~CrcReadAheadBatch();

 private:
  CrcReadAhead* readAhead_;
};

}  // namespace korven

#endif  // KORVEN_CRC_CRC_READ_AHEAD_H_
