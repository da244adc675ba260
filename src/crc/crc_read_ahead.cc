#include "crc/crc_read_ahead.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <functional>
#include <iterator>
#include <new>
#include <optional>
#include <system_error>

#include "platform/file_system.h"
#include "platform/system.h"
#include "run/run.h"
#include "run/terminate.h"
#include "streams/stream_reader.h"

namespace korven {

namespace {

// Helpers per processor where the disk serves many requests at once: reads
// of small files wait on the disk, not on a processor, and the disk's queue
// is kept full only by many requests in flight.
constexpr unsigned kHelpersPerProcessor = 16;
constexpr unsigned kMaxHelpers = 64;

// How far into the queue the listing looks for the file it reads: files
// queued before it that it passed over (gone since, or skipped) are dropped.
// A file not found this near the front is read by the listing itself.
constexpr size_t kTakeWindow = 64;

// A read that takes longer waited on the disk: a small file in memory is
// read in a few microseconds. Once slow reads outnumber fast ones by
// kSlowReadsFromDisk, the files come from the disk, and from memory again
// once they no longer outnumber them: a tree in memory but for a few of its
// files is read from memory for the rest of the run. A read slowed now and
// then by a busy processor does not count. Reads of a batch count together,
// slow when they took kSlowRead each on average.
constexpr auto kSlowRead = std::chrono::microseconds(50);
constexpr int kSlowReadsFromDisk = 16;

// Files a helper takes from the queue at once while they come from memory,
// so that the threads meet at the lock once for several files. From the
// disk a helper takes one at a time: every file is a request in flight.
constexpr size_t kMaxBatch = 8;

// The queue's lock is held for a few instructions at a time: a thread that
// finds it taken tries again a while before it sleeps, as the system calls
// to sleep and to be woken cost more than the wait.
constexpr int kTriesBeforeSleep = 200;

void LockSoon(std::unique_lock<std::mutex>& lock) {
  for (int i = 0; i < kTriesBeforeSleep; ++i) {
    if (lock.try_lock()) return;
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
  }
  lock.lock();
}

}  // namespace

bool ReadAheadSuits(const Run& run) {
  const RunSettings& s = run.settings;
  return run.fs.ReadsInParallel() && !s.pathNameOnly && !s.dateFilterOn && !s.sizeGreaterOn && !s.sizeLessOn &&
         !s.createSignature && !s.verifySignature && !s.eraseSignature;
}

CrcReadAhead::HelperCount CrcReadAhead::HelpersFor(const Run& run) {
  if (!ReadAheadSuits(run)) return {0, 0};
  if (run.settings.threads > 0) {
    const unsigned helpers = static_cast<unsigned>(run.settings.threads - 1);
    return {helpers, helpers};
  }
  const std::string firstPath = run.values.searchPaths.empty() ? "." : run.values.searchPaths.front();
  if (run.fs.DiskKindOf(firstPath) == DiskKind::kRotational) return {1, 1};
  const unsigned processors = std::max(1u, std::thread::hardware_concurrency());
  // In memory more threads than processors only take turns: the rest start
  // once a read shows the files come from the disk.
  return {std::min(processors * kHelpersPerProcessor, kMaxHelpers), processors + 1};
}

CrcReadAhead::CrcReadAhead(Run& run, const HelperCount& helpers)
    : run_(run), startOffset_(run.values.displacement), readsStreams_(StreamsShown(run)),
      wantedHelpers_(helpers.helpers), startedAtFirst_(std::min(helpers.startedAtFirst, helpers.helpers)) {
  if (helpers.helpers == 0) return;
  listingReader_ = NewReader();
  // Room made before any helper starts: once one runs, nothing here may throw.
  helpers_.reserve(helpers.helpers);
  helperReaders_.reserve(helpers.helpers);
  StartHelpers(startedAtFirst_);
  hasHelpers_ = !helpers_.empty();
  if (hasHelpers_) run_.readAhead = this;
}

void CrcReadAhead::StartHelpers(size_t count) {
  // The constructor's thread and one that saw the disk may start helpers at
  // the same time: each adds one under the lock while fewer than `count`
  // run, so there are never more than the room made for them.
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (shutdown_ || helpers_.size() >= count) return;
    }
    std::unique_ptr<Reader> reader = NewReader();
    if (!reader) return;
    std::lock_guard<std::mutex> lock(mutex_);
    if (shutdown_ || helpers_.size() >= count) return;
    try {
      const bool forTheDisk = helpers_.size() >= startedAtFirst_;
      helpers_.emplace_back(&CrcReadAhead::Help, this, std::ref(*reader), forTheDisk);
    } catch (const std::system_error&) {
      return;  // no more threads: the listing reads the rest itself
    }
    helperReaders_.push_back(std::move(reader));
  }
}

size_t CrcReadAhead::helperCount() {
  std::lock_guard<std::mutex> lock(mutex_);
  return helpers_.size();
}

std::unique_ptr<CrcReadAhead::Reader> CrcReadAhead::NewReader() {
  try {
    auto reader = std::make_unique<Reader>();
    reader->block.reset(new unsigned char[kReadBufferBytes]);
    reader->chunk = AlignedReadChunk(reader->block.get());
    reader->ownFileSystem = run_.fs.NewSearcher();
    return reader;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

CrcReadAhead::~CrcReadAhead() {
  if (run_.readAhead == this) run_.readAhead = nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    shutdown_ = true;
    queuing_ = false;
    DropJobs();
  }
  stopping_.store(true);
  queued_.notify_all();
  room_.notify_all();
  for (std::thread& helper : helpers_) helper.join();
}

bool CrcReadAhead::Queue(std::span<std::string> paths, bool waitForRoom) {
  if (!hasHelpers_) return false;
  std::vector<std::shared_ptr<Job>> made;
  made.reserve(paths.size());
  std::unique_lock<std::mutex> lock(mutex_, std::defer_lock);
  LockSoon(lock);
  const size_t reused = std::min(paths.size(), spare_.size());
  std::move(spare_.end() - static_cast<std::ptrdiff_t>(reused), spare_.end(), std::back_inserter(made));
  spare_.resize(spare_.size() - reused);
  lock.unlock();
  // Filled before the lock is taken again, which the helpers wait for meanwhile.
  for (size_t i = 0; i < paths.size(); ++i) {
    if (i == made.size()) made.push_back(std::make_shared<Job>());
    // The job takes the string over and hands back its old path, whose
    // room the caller writes the next path into.
    made[i]->path.swap(paths[i]);
  }
  LockSoon(lock);
  if (waitForRoom && jobs_.size() >= kMaxQueued) {
    room_.wait(lock, [this] { return !queuing_ || passedOver_ || jobs_.size() <= kResumeQueuingAt; });
  }
  if (!queuing_) return false;
  if (waitForRoom && passedOver_) return true;  // files the listing has passed
  std::move(made.begin(), made.end(), std::back_inserter(jobs_));
  lock.unlock();
  queued_.notify_all();
  return true;
}

void CrcReadAhead::DropQueued() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    DropJobs();
  }
  room_.notify_all();
}

void CrcReadAhead::PassedOver(bool passed) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    passedOver_ = passed;
    if (passed) DropJobs();
  }
  if (passed) room_.notify_all();
}

void CrcReadAhead::DropJobs() {
  for (const std::shared_ptr<Job>& job : jobs_) job->dropped.store(true);
  jobs_.clear();
  started_ = 0;
}

void CrcReadAhead::StopQueuing() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queuing_ = false;
  }
  room_.notify_all();
}

bool CrcReadAhead::Take(const std::string& path, int64_t startOffset, CrcOutcome* outcome) {
  if (startOffset != startOffset_) return false;
  std::unique_lock<std::mutex> lock(mutex_, std::defer_lock);
  LockSoon(lock);
  const size_t window = std::min(jobs_.size(), kTakeWindow);
  size_t at = 0;
  while (at < window && jobs_[at]->path != path) ++at;
  if (at == window) return false;
  for (size_t i = 0; i < at; ++i) {
    jobs_[i]->dropped.store(true);
    Recycle(jobs_[i]);
  }
  jobs_.erase(jobs_.begin(), jobs_.begin() + static_cast<std::ptrdiff_t>(at));
  started_ -= std::min(started_, at);

  std::shared_ptr<Job> job = std::move(jobs_.front());
  jobs_.pop_front();
  if (started_ > 0) --started_;
  if (jobs_.size() <= kResumeQueuingAt) room_.notify_one();
  // Not started, or only taken by a helper that has not begun it: the
  // listing reads it now rather than wait.
  if (Begin(*job)) {
    Recycle(job);
    return false;
  }
  // Rather than wait for the helper reading it, the listing reads a file
  // further on, from memory: from the disk its own read could keep it
  // waiting after the file it waits for is read.
  while (job->state.load() != State::kDone) {
    if (listingReader_ && !waitingOnDisk_.load(std::memory_order_relaxed) && StartNextJob(lock, job.get())) continue;
    listingWaits_.store(true);
    read_.wait(lock, [&job] { return job->state.load() == State::kDone; });
    listingWaits_.store(false);
  }
  *outcome = std::move(job->outcome);
  Recycle(job);
  return true;
}

void CrcReadAhead::Recycle(std::shared_ptr<Job>& job) {
  if (job.use_count() != 1 || spare_.size() >= kMaxSpare) return;
  // No other thread holds it any more. One that read it wrote the outcome
  // before it marked the job done: loading the state with acquire order sees
  // its writes before the job is made new.
  job->state.load(std::memory_order_acquire);
  job->state.store(State::kWaiting, std::memory_order_relaxed);
  job->dropped.store(false, std::memory_order_relaxed);
  job->outcome = CrcOutcome{};
  spare_.push_back(std::move(job));
}

bool CrcReadAhead::Begin(Job& job) {
  State state = job.state.load();
  while (state == State::kWaiting || state == State::kClaimed) {
    if (job.state.compare_exchange_weak(state, State::kReading)) return true;
  }
  return false;
}

bool CrcReadAhead::StartNextJob(std::unique_lock<std::mutex>& lock, const Job* awaited) {
  if (started_ == jobs_.size()) return false;
  std::shared_ptr<Job> job = jobs_[started_++];
  lock.unlock();
  const auto start = std::chrono::steady_clock::now();
  if (ReadJob(*listingReader_, *job, awaited)) {
    NoteReadTime(*listingReader_, std::chrono::steady_clock::now() - start, 1);
  }
  LockSoon(lock);
  Recycle(job);
  return true;
}

FileSystem& CrcReadAhead::MemoryReadsOf(Reader& reader) {
  return reader.ownFileSystem ? *reader.ownFileSystem : run_.fs;
}

bool CrcReadAhead::ReadJob(Reader& reader, Job& job, const Job* awaited, FileHandle opened) {
  // From the disk many helpers share each directory's few files: a
  // descriptor of the directory for each of them would cost more system
  // calls than it saves, so they name the files from the top.
  FileSystem& fs = opened != kInvalidHandle || !waitingOnDisk_.load(std::memory_order_relaxed) ? MemoryReadsOf(reader)
                                                                                                : run_.fs;
  if (job.dropped.load(std::memory_order_relaxed) || !Begin(job)) {
    if (opened != kInvalidHandle) fs.Close(opened);
    return false;
  }
  // A file the listing reads while it waits is cut short after its second
  // chunk once the awaited file is read, and read again in its turn: the
  // awaited record never waits for a big file.
  // Two pointers captured, which the std::function holds without a heap
  // allocation per file.
  struct {
    Job& job;
    const Job* awaited;
    int chunksRead = 0;
  } read{job, awaited};
  auto keepReading = [this, &read] {
    if (read.job.dropped.load(std::memory_order_relaxed) || stopping_.load(std::memory_order_relaxed) ||
        RunEndPending(run_)) {
      return false;
    }
    return read.awaited == nullptr || ++read.chunksRead < 2 || read.awaited->state.load() != State::kDone;
  };
  job.outcome = ReadFileCrc(fs, job.path, startOffset_, reader.chunk, keepReading, readsStreams_, opened);
  job.state.store(State::kDone);
  // The listing, once it said it waits, checks the job again under the lock
  // before it sleeps: taking the lock here means the wake-up can't come
  // between the two.
  if (listingWaits_.load()) {
    { std::lock_guard<std::mutex> lock(mutex_); }
    read_.notify_all();
  }
  return true;
}

void CrcReadAhead::NoteReadTime(Reader& reader, std::chrono::steady_clock::duration took, size_t files) {
  bool slow = took > kSlowRead * static_cast<int64_t>(files);
  if (slow) {
    // Reads held up by a busy or paused machine are slow too, but the disk
    // fetched nothing for them.
    const std::optional<uint64_t> blocks = run_.fs.BlocksReadByThisThread();
    if (blocks) {
      slow = *blocks != reader.blocksRead;
      reader.blocksRead = *blocks;
    }
  }
  const int change = slow ? static_cast<int>(files) : -static_cast<int>(files);
  int balance = slowReadBalance_.load(std::memory_order_relaxed);
  int next;
  do {
    next = std::clamp(balance + change, 0, kSlowReadsFromDisk);
    // Unchanged, as it stays for a run from memory: no write to share.
    if (next == balance) break;
  } while (!slowReadBalance_.compare_exchange_weak(balance, next, std::memory_order_relaxed));
  const bool fromDisk = next == kSlowReadsFromDisk;
  if ((fromDisk || next == 0) && waitingOnDisk_.load() != fromDisk) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (waitingOnDisk_.load() == fromDisk) return;
      waitingOnDisk_.store(fromDisk);  // one file at a time while it is set
    }
    if (!fromDisk) return;  // the helpers for the disk stop at their next file
    // The thread that saw the disk first starts the helpers that reading
    // from memory did without, and wakes those that stopped.
    StartHelpers(wantedHelpers_);
    queued_.notify_all();
  }
}

void CrcReadAhead::Help(Reader& reader, bool forTheDisk) {
  std::vector<std::shared_ptr<Job>> batch;
  batch.reserve(kMaxBatch);
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    queued_.wait(lock, [this, forTheDisk] {
      return shutdown_ || (started_ < jobs_.size() && (!forTheDisk || waitingOnDisk_.load()));
    });
    if (shutdown_) return;
    // Several files only from a long queue, which leaves every reader
    // batches to take: a short one may be a few big files, each a reader's.
    const size_t waiting = jobs_.size() - started_;
    const size_t readers = startedAtFirst_ + 1;
    const size_t share =
        waitingOnDisk_.load() ? 1 : std::clamp<size_t>(waiting / (readers * kMaxBatch), 1, kMaxBatch);
    for (size_t i = 0; i < share; ++i) {
      const std::shared_ptr<Job>& job = jobs_[started_++];
      job->state.store(State::kClaimed, std::memory_order_relaxed);
      batch.push_back(job);
    }
    lock.unlock();
    // Timed as a whole: two clock reads a batch rather than a file.
    const auto start = std::chrono::steady_clock::now();
    // A batch from memory is opened in one call where the platform can.
    std::array<FileHandle, kMaxBatch> opened;
    opened.fill(kInvalidHandle);
    if (batch.size() > 1) {
      std::array<const std::string*, kMaxBatch> paths;
      for (size_t i = 0; i < batch.size(); ++i) paths[i] = &batch[i]->path;
      MemoryReadsOf(reader).OpenAllForReading({paths.data(), batch.size()}, {opened.data(), batch.size()});
    }
    size_t read = 0;
    for (size_t i = 0; i < batch.size(); ++i) read += ReadJob(reader, *batch[i], nullptr, opened[i]) ? 1 : 0;
    if (read > 0) NoteReadTime(reader, std::chrono::steady_clock::now() - start, read);
    LockSoon(lock);
    // Jobs the listing took while they were read are recycled here.
    for (std::shared_ptr<Job>& job : batch) Recycle(job);
    batch.clear();
  }
}

CrcReadAheadBatch::CrcReadAheadBatch(Run& run, const std::string& dir, const std::vector<const FindEntry*>& files)
    : readAhead_(files.empty() ? nullptr : run.readAhead) {
  if (readAhead_ == nullptr) return;
  std::vector<std::string> paths;
  paths.reserve(files.size());
  for (const FindEntry* file : files) paths.push_back(dir + file->name);
  readAhead_->Queue(paths, false);
}

CrcReadAheadBatch::~CrcReadAheadBatch() {
  if (readAhead_ != nullptr) readAhead_->DropQueued();
}

}  // namespace korven
