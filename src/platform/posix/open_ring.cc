#include "platform/posix/open_ring.h"

#include <errno.h>
#include <linux/io_uring.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>

namespace korven {

namespace {

#if defined(__SANITIZE_THREAD__)
// ThreadSanitizer sees no open in a ring: a descriptor number used again
// would look shared by the threads that held it in turn.
constexpr bool kRingsAllowed = false;
#else
constexpr bool kRingsAllowed = true;
#endif

// Rings made and not yet gone, in every thread.
std::atomic<uint64_t> ringsAlive{0};

int Setup(unsigned entries, io_uring_params* params) {
  return static_cast<int>(syscall(__NR_io_uring_setup, entries, params));
}

int Enter(int fd, unsigned toSubmit, unsigned minComplete) {
  return static_cast<int>(
      syscall(__NR_io_uring_enter, fd, toSubmit, minComplete, IORING_ENTER_GETEVENTS, nullptr, 0));
}

unsigned* At(void* base, uint32_t offset) {
  return reinterpret_cast<unsigned*>(static_cast<char*>(base) + offset);
}

// The ring's indexes are shared with the kernel: it reads the submission
// tail and writes the completion tail.
unsigned LoadAcquire(unsigned* index) { return std::atomic_ref<unsigned>(*index).load(std::memory_order_acquire); }
void StoreRelease(unsigned* index, unsigned value) {
  std::atomic_ref<unsigned>(*index).store(value, std::memory_order_release);
}

}  // namespace

bool OpenRing::RoomFor(uint64_t rings, uint64_t descriptorLimit) {
  return rings * (kMaxEntries + 1) <= descriptorLimit / 2;
}

OpenRing::OpenRing() { ringsAlive.fetch_add(1); }

std::unique_ptr<OpenRing> OpenRing::Make() {
  if (!kRingsAllowed) return nullptr;
  std::unique_ptr<OpenRing> ring(new OpenRing);
  rlimit limit;
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || !RoomFor(ringsAlive.load(), limit.rlim_cur)) return nullptr;
  io_uring_params params{};
  // Every entry is submitted even after one fails, so that none is left in
  // the ring (Linux 5.18); one thread alone submits, which spares the kernel
  // some locking where it knows the flag (6.0).
  params.flags = IORING_SETUP_SUBMIT_ALL | IORING_SETUP_SINGLE_ISSUER;
  int fd = Setup(kMaxEntries, &params);
  if (fd < 0 && errno == EINVAL) {
    params = io_uring_params{};
    params.flags = IORING_SETUP_SUBMIT_ALL;
    fd = Setup(kMaxEntries, &params);
  }
  if (fd < 0) return nullptr;
  ring->fd_ = fd;
  if ((params.features & IORING_FEAT_SINGLE_MMAP) == 0 || params.sq_entries < kMaxEntries ||
      params.cq_entries < kMaxEntries) {
    return nullptr;  // every kernel with SUBMIT_ALL maps both rings at once, and gives the entries asked for
  }
  ring->ringsBytes_ = std::max(params.sq_off.array + params.sq_entries * sizeof(unsigned),
                               params.cq_off.cqes + params.cq_entries * sizeof(io_uring_cqe));
  void* rings = mmap(nullptr, ring->ringsBytes_, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, fd,
                     IORING_OFF_SQ_RING);
  if (rings == MAP_FAILED) return nullptr;
  ring->rings_ = rings;
  ring->entriesBytes_ = params.sq_entries * sizeof(io_uring_sqe);
  void* entries = mmap(nullptr, ring->entriesBytes_, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, fd,
                       IORING_OFF_SQES);
  if (entries == MAP_FAILED) return nullptr;
  ring->entries_ = entries;
  ring->sqTail_ = At(rings, params.sq_off.tail);
  ring->sqMask_ = *At(rings, params.sq_off.ring_mask);
  ring->sqArray_ = At(rings, params.sq_off.array);
  ring->cqHead_ = At(rings, params.cq_off.head);
  ring->cqTail_ = At(rings, params.cq_off.tail);
  ring->cqMask_ = *At(rings, params.cq_off.ring_mask);
  ring->cqes_ = At(rings, params.cq_off.cqes);
  return ring;
}

OpenRing::~OpenRing() {
  for (unsigned i = 0; i < closeCount_; ++i) close(closes_[i]);
  if (entries_ != nullptr) munmap(entries_, entriesBytes_);
  if (rings_ != nullptr) munmap(rings_, ringsBytes_);
  if (fd_ >= 0) close(fd_);
  ringsAlive.fetch_sub(1);
}

bool OpenRing::CloseWithNextOpens(int fd) {
  if (closeCount_ == closes_.size()) return false;
  closes_[closeCount_++] = fd;
  return true;
}

bool OpenRing::OpenAll(int dirFd, std::span<const char* const> names, int flags, std::span<int> fds) {
  const unsigned opens = static_cast<unsigned>(std::min<size_t>(names.size(), kMaxOpens));
  const unsigned count = closeCount_ + opens;
  std::fill(fds.begin(), fds.end(), -1);
  auto* sqes = static_cast<io_uring_sqe*>(entries_);
  unsigned tail = *sqTail_;  // written by this thread alone
  for (unsigned i = 0; i < count; ++i, ++tail) {
    const unsigned slot = tail & sqMask_;
    io_uring_sqe& sqe = sqes[slot];
    std::memset(&sqe, 0, sizeof sqe);
    if (i < closeCount_) {
      sqe.opcode = IORING_OP_CLOSE;
      sqe.fd = closes_[i];
      sqe.user_data = kClosed;
    } else {
      sqe.opcode = IORING_OP_OPENAT;
      sqe.fd = dirFd;
      sqe.addr = reinterpret_cast<uintptr_t>(names[i - closeCount_]);
      sqe.open_flags = static_cast<uint32_t>(flags);
      sqe.user_data = i - closeCount_;
    }
    sqArray_[slot] = slot;
  }
  StoreRelease(sqTail_, tail);
  int submitted;
  do {
    submitted = Enter(fd_, count, count);
  } while (submitted < 0 && errno == EINTR);
  if (submitted < 0) return false;
  // The entries go in order: the closes submitted are the kernel's, the
  // rest stay this ring's to close when it goes.
  const unsigned closesSubmitted = std::min(static_cast<unsigned>(submitted), closeCount_);
  std::copy(closes_.begin() + closesSubmitted, closes_.begin() + closeCount_, closes_.begin());
  closeCount_ -= closesSubmitted;
  // Submitted, the entries are the kernel's: their completions are awaited
  // even when the wait was cut short, so that no descriptor is lost.
  if (Reap(static_cast<unsigned>(submitted), fds) && static_cast<unsigned>(submitted) == count) return true;
  for (int& fd : fds) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
  return false;
}

bool OpenRing::Reap(unsigned pending, std::span<int> fds) {
  auto* cqes = static_cast<io_uring_cqe*>(cqes_);
  unsigned head = *cqHead_;
  while (pending > 0) {
    const unsigned tail = LoadAcquire(cqTail_);
    if (head == tail) {
      // Only a ring that can't be waited on any more gives up: the opens
      // still running would leave descriptors that no one closes.
      if (Enter(fd_, 0, 1) < 0 && errno != EINTR && errno != EAGAIN && errno != EBUSY) return false;
      continue;
    }
    for (; head != tail; ++head, --pending) {
      const io_uring_cqe& cqe = cqes[head & cqMask_];
      if (cqe.user_data < fds.size()) fds[cqe.user_data] = cqe.res;
    }
    StoreRelease(cqHead_, head);
  }
  for (int& fd : fds) fd = std::max(fd, -1);  // -errno: not opened
  return true;
}

}  // namespace korven
