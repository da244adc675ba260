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

constexpr unsigned kMaxHelpers = 3;

}  // namespace

bool ReadAheadSuits(const Run& run) {
  const RunSettings& s = run.settings;
  return run.fs.ReadsInParallel() && !s.pathNameOnly && !s.dateFilterOn && !s.sizeGreaterOn && !s.sizeLessOn &&
         !s.createSignature && !s.verifySignature && !s.eraseSignature;
}

unsigned CrcReadAhead::HelpersFor(const Run& run) {
  if (!ReadAheadSuits(run)) return 0;
  unsigned processors = std::thread::hardware_concurrency();
  return processors <= 1 ? 0 : std::min(processors - 1, kMaxHelpers);
}

CrcReadAhead::CrcReadAhead(Run& run, unsigned helpers)
    : run_(run), startOffset_(run.values.displacement), readsStreams_(StreamsShown(run)) {
  if (helpers == 0) return;
  std::unique_ptr<unsigned char[]> listingBlock(new (std::nothrow) unsigned char[kReadBufferBytes]);
  if (!listingBlock) return;
  listingChunk_ = AlignedReadChunk(listingBlock.get());
  buffers_.push_back(std::move(listingBlock));
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
  End();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    shutdown_ = true;
  }
  batchReady_.notify_all();
  for (std::thread& helper : helpers_) helper.join();
}

void CrcReadAhead::Begin(const std::string& dir, const std::vector<const FindEntry*>& files) {
  End();
  if (helpers_.empty() || files.empty()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    jobs_.reset(new Job[files.size()]);
    for (size_t i = 0; i < files.size(); ++i) {
      jobs_[i].path.assign(dir).append(files[i]->name);
    }
    jobCount_ = files.size();
    nextJob_.store(0);
    cursor_ = 0;
    ++batch_;
  }
  batchReady_.notify_all();
}

void CrcReadAhead::End() {
  if (jobCount_ == 0) return;
  // No helper starts another file; those reading stop at their next chunk.
  nextJob_.store(jobCount_);
  stopping_.store(true);
  std::unique_lock<std::mutex> lock(mutex_);
  helpersIdle_.wait(lock, [this] { return busyHelpers_ == 0; });
  jobs_.reset();
  jobCount_ = 0;
  stopping_.store(false);
}

bool CrcReadAhead::Take(const std::string& path, int64_t startOffset, CrcOutcome* outcome) {
  if (startOffset != startOffset_) return false;
  for (size_t i = cursor_; i < jobCount_; ++i) {
    Job& job = jobs_[i];
    if (job.path != path) continue;
    cursor_ = i + 1;
    int expected = kWaiting;
    if (job.state.compare_exchange_strong(expected, kTaken)) return false;
    // Rather than wait for the helper reading this file, read one further on.
    while (job.state.load() == kReading) {
      if (!ReadNextJob(listingChunk_, &job)) WaitUntilRead(job);
    }
    *outcome = std::move(job.outcome);
    return true;
  }
  return false;
}

// A condition variable, not an atomic wait: where the runtime has no futex,
// its atomic wait can miss the wake-up and wait for ever.
void CrcReadAhead::WaitUntilRead(Job& job) {
  std::unique_lock<std::mutex> lock(mutex_);
  jobRead_.wait(lock, [&job] { return job.state.load() != kReading; });
}

bool CrcReadAhead::ReadNextJob(unsigned char* chunk, const Job* awaited) {
  for (size_t i = nextJob_.fetch_add(1); i < jobCount_; i = nextJob_.fetch_add(1)) {
    Job& job = jobs_[i];
    int expected = kWaiting;
    if (!job.state.compare_exchange_strong(expected, kReading)) continue;
    // Once the awaited file is read, a big file read meanwhile is cut short
    // after its second chunk (and read again in its turn), so that the
    // awaited file's record never waits for it; a small one is read whole.
    int chunksRead = 0;
    auto keepReading = [this, awaited, &chunksRead] {
      if (stopping_.load(std::memory_order_relaxed) || RunEndPending(run_)) return false;
      return awaited == nullptr || ++chunksRead == 1 || awaited->state.load() == kReading;
    };
    job.outcome = ReadFileCrc(run_.fs, job.path, startOffset_, chunk, keepReading, readsStreams_);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      job.state.store(kDone);
    }
    jobRead_.notify_all();
    return true;
  }
  return false;
}

void CrcReadAhead::Help(unsigned char* chunk) {
  uint64_t seen = 0;
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    batchReady_.wait(lock, [&] { return shutdown_ || batch_ != seen; });
    if (shutdown_) return;
    seen = batch_;
    ++busyHelpers_;
    lock.unlock();
    while (ReadNextJob(chunk, nullptr)) {
    }
    lock.lock();
    if (--busyHelpers_ == 0) helpersIdle_.notify_all();
  }
}

CrcReadAheadBatch::CrcReadAheadBatch(Run& run, const std::string& dir, const std::vector<const FindEntry*>& files)
    : readAhead_(run.readAhead) {
  if (readAhead_ != nullptr) readAhead_->Begin(dir, files);
}

CrcReadAheadBatch::~CrcReadAheadBatch() {
  if (readAhead_ != nullptr) readAhead_->End();
}

}  // namespace korven
