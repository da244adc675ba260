#include "crc/crc_read_ahead.h"

#include <algorithm>
#include <new>
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
constexpr unsigned kHelpersPerProcessor = 8;
constexpr unsigned kMaxHelpers = 64;

// How far into the queue the listing looks for the file it reads: files
// queued before it that it passed over (gone since, or skipped) are dropped.
// A file not found this near the front is read by the listing itself.
constexpr size_t kTakeWindow = 64;

}  // namespace

bool ReadAheadSuits(const Run& run) {
  const RunSettings& s = run.settings;
  return run.fs.ReadsInParallel() && !s.pathNameOnly && !s.dateFilterOn && !s.sizeGreaterOn && !s.sizeLessOn &&
         !s.createSignature && !s.verifySignature && !s.eraseSignature;
}

unsigned CrcReadAhead::HelpersFor(const Run& run) {
  if (!ReadAheadSuits(run)) return 0;
  if (run.settings.threads > 0) return static_cast<unsigned>(run.settings.threads - 1);
  const std::string& firstPath = run.values.searchPaths.empty() ? std::string(".") : run.values.searchPaths.front();
  if (run.fs.DiskKindOf(firstPath) == DiskKind::kRotational) return 1;
  const unsigned processors = std::max(1u, std::thread::hardware_concurrency());
  return std::min(processors * kHelpersPerProcessor, kMaxHelpers);
}

CrcReadAhead::CrcReadAhead(Run& run, unsigned helpers)
    : run_(run), startOffset_(run.values.displacement), readsStreams_(StreamsShown(run)) {
  for (unsigned i = 0; i < helpers; ++i) {
    std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[kReadBufferBytes]);
    if (!block) break;
    try {
      helpers_.emplace_back(&CrcReadAhead::Help, this, AlignedReadChunk(block.get()));
    } catch (const std::system_error&) {
      break;  // no more threads: the listing reads the rest itself
    }
    buffers_.push_back(std::move(block));
  }
  if (!helpers_.empty()) run_.readAhead = this;
}

CrcReadAhead::~CrcReadAhead() {
  if (run_.readAhead == this) run_.readAhead = nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    shutdown_ = true;
    queuing_ = false;
    for (const std::shared_ptr<Job>& job : jobs_) job->dropped.store(true);
    jobs_.clear();
    started_ = 0;
  }
  stopping_.store(true);
  queued_.notify_all();
  room_.notify_all();
  for (std::thread& helper : helpers_) helper.join();
}

bool CrcReadAhead::Queue(std::span<const std::string> paths, bool waitForRoom) {
  if (helpers_.empty()) return false;
  std::unique_lock<std::mutex> lock(mutex_);
  if (waitForRoom) room_.wait(lock, [this] { return !queuing_ || jobs_.size() < kMaxQueued; });
  if (!queuing_) return false;
  for (const std::string& path : paths) {
    auto job = std::make_shared<Job>();
    job->path = path;
    jobs_.push_back(std::move(job));
  }
  lock.unlock();
  queued_.notify_all();
  return true;
}

void CrcReadAhead::DropQueued(size_t atLeast) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (jobs_.size() < atLeast) return;
    for (const std::shared_ptr<Job>& job : jobs_) job->dropped.store(true);
    jobs_.clear();
    started_ = 0;
  }
  room_.notify_all();
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
  std::unique_lock<std::mutex> lock(mutex_);
  const size_t window = std::min(jobs_.size(), kTakeWindow);
  size_t at = 0;
  while (at < window && jobs_[at]->path != path) ++at;
  if (at == window) return false;
  for (size_t i = 0; i < at; ++i) jobs_[i]->dropped.store(true);
  jobs_.erase(jobs_.begin(), jobs_.begin() + static_cast<std::ptrdiff_t>(at));
  started_ -= std::min(started_, at);

  std::shared_ptr<Job> job = std::move(jobs_.front());
  jobs_.pop_front();
  const bool started = started_ > 0;
  if (started) --started_;
  room_.notify_one();
  // Not started: the listing reads it now rather than wait.
  if (!started) return false;
  read_.wait(lock, [&job] { return job->state == State::kDone; });
  *outcome = std::move(job->outcome);
  return true;
}

void CrcReadAhead::Help(unsigned char* chunk) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    queued_.wait(lock, [this] { return shutdown_ || started_ < jobs_.size(); });
    if (shutdown_) return;
    std::shared_ptr<Job> job = jobs_[started_++];
    job->state = State::kReading;
    lock.unlock();
    auto keepReading = [this, &job] {
      return !job->dropped.load(std::memory_order_relaxed) && !stopping_.load(std::memory_order_relaxed) &&
             !RunEndPending(run_);
    };
    CrcOutcome outcome = ReadFileCrc(run_.fs, job->path, startOffset_, chunk, keepReading, readsStreams_);
    lock.lock();
    job->outcome = std::move(outcome);
    job->state = State::kDone;
    read_.notify_all();
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
