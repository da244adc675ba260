// Opening several files in one system call, through an io_uring of the
// thread's own: a small file is read in a few system calls, and the opens of
// a batch of them then cost one call instead of one each.
#ifndef KORVEN_PLATFORM_POSIX_OPEN_RING_H_
#define KORVEN_PLATFORM_POSIX_OPEN_RING_H_

#include <array>
#include <cstdint>
#include <memory>
#include <span>

namespace korven {

class OpenRing {
 public:
  // Most opens asked of one OpenAll.
  static constexpr unsigned kMaxOpens = 16;

  // A ring, or null where the kernel has none or refuses it (too old,
  // turned off, a sandbox that forbids it), or where the rings alive would
  // hold more descriptors than the process may spare: then files are opened
  // one by one.
  static std::unique_ptr<OpenRing> Make();
  // Whether `rings` rings may hold their descriptors together (kMaxOpens
  // opened, kMaxOpens waiting to be closed and their own, each) in a process
  // that may open `descriptorLimit`: half of it at most, the rest left to the
  // files the program opens otherwise.
  static bool RoomFor(uint64_t rings, uint64_t descriptorLimit);
  ~OpenRing();
  OpenRing(const OpenRing&) = delete;
  OpenRing& operator=(const OpenRing&) = delete;

  // openat(dirFd, names[i], flags) for each name, at most kMaxOpens: `fds`
  // gets each descriptor, or -1 where the open failed. False when the ring
  // failed as a whole (no descriptor given; an open the kernel finishes
  // after that keeps its descriptor until the process ends); the caller
  // then opens the files itself and drops the ring.
  bool OpenAll(int dirFd, std::span<const char* const> names, int flags, std::span<int> fds);
  // Closes `fd` in the same call as the next OpenAll, or when the ring goes:
  // a file read between two batches costs no call of its own to close.
  // False when kMaxOpens wait already.
  bool CloseWithNextOpens(int fd);

 private:
  static constexpr unsigned kMaxEntries = 2 * kMaxOpens;  // the closes waiting and the opens
  static constexpr uint64_t kClosed = ~uint64_t{0};        // the completion of a close

  OpenRing();
  // Waits for completions until every one of `pending` has come.
  bool Reap(unsigned pending, std::span<int> fds);

  int fd_ = -1;
  void* rings_ = nullptr;  // the submission and completion rings, one mapping
  size_t ringsBytes_ = 0;
  void* entries_ = nullptr;  // the submission entries
  size_t entriesBytes_ = 0;
  // Within rings_.
  unsigned* sqTail_ = nullptr;
  unsigned sqMask_ = 0;
  unsigned* sqArray_ = nullptr;
  unsigned* cqHead_ = nullptr;
  unsigned* cqTail_ = nullptr;
  unsigned cqMask_ = 0;
  void* cqes_ = nullptr;

  std::array<int, kMaxOpens> closes_{};
  unsigned closeCount_ = 0;
};

}  // namespace korven

#endif  // KORVEN_PLATFORM_POSIX_OPEN_RING_H_
