// The floor of a listing: what any program that lists a tree with the CRC-32
// of every file must ask of the system, and nothing more. N threads take
// directories from a shared queue; for each directory they read its entries,
// queue its subdirectories, and for each file openat, statx, read it up to the
// size statx gave (a listing needs no read that returns 0 at the end) and
// close it. No CRC, no output but the totals.
//
//   walk_floor DIR [THREADS]
//
// Prints "files N bytes N". Built by scripts/bench_tree.sh beside the program.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr size_t kReadChunk = size_t{512} << 10;

struct Queue {
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::string> directories;
  int busy = 0;  // threads reading a directory, which may queue more
};

std::atomic<long> files{0};
std::atomic<long long> bytes{0};

// Opened before statx, so that the name is looked up once; O_NONBLOCK keeps a
// FIFO whose type the directory did not tell from holding the open.
void ReadFile(int dirFd, const char* name, unsigned char* buffer) {
  constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
  int fd = openat(dirFd, name, kFlags | O_NOATIME);
  if (fd < 0) fd = openat(dirFd, name, kFlags);  // O_NOATIME needs the file's owner
  if (fd < 0) return;
  struct statx st;
  if (statx(fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &st) == 0 &&
      S_ISREG(st.stx_mode)) {
    unsigned long long done = 0;
    ssize_t got;
    while (done < st.stx_size && (got = read(fd, buffer, kReadChunk)) > 0) done += got;
    bytes += done;
    ++files;
  }
  close(fd);
}

void ReadDirectory(Queue& queue, const std::string& path, unsigned char* buffer) {
  int dirFd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) return;
  DIR* stream = fdopendir(dirFd);
  if (stream == nullptr) {
    close(dirFd);
    return;
  }
  while (const struct dirent* entry = readdir(stream)) {
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
    if (entry->d_type == DT_DIR) {
      std::lock_guard<std::mutex> lock(queue.mutex);
      queue.directories.push_back(path + "/" + name);
      queue.changed.notify_one();
    } else if (entry->d_type == DT_REG || entry->d_type == DT_UNKNOWN) {
      ReadFile(dirFd, name, buffer);
    }
  }
  closedir(stream);
}

void Work(Queue& queue) {
  std::vector<unsigned char> buffer(kReadChunk);
  std::unique_lock<std::mutex> lock(queue.mutex);
  for (;;) {
    queue.changed.wait(lock, [&] { return !queue.directories.empty() || queue.busy == 0; });
    if (queue.directories.empty()) return;  // nothing queued and nobody can queue more
    std::string path = std::move(queue.directories.front());
    queue.directories.pop_front();
    ++queue.busy;
    lock.unlock();
    ReadDirectory(queue, path, buffer.data());
    lock.lock();
    if (--queue.busy == 0) queue.changed.notify_all();
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: walk_floor DIR [THREADS]\n");
    return 2;
  }
  int threads = argc > 2 ? atoi(argv[2]) : 1;
  if (threads < 1) threads = 1;
  Queue queue;
  queue.directories.push_back(argv[1]);
  std::vector<std::thread> pool;
  for (int i = 0; i < threads; ++i) pool.emplace_back(Work, std::ref(queue));
  for (std::thread& thread : pool) thread.join();
  printf("files %ld bytes %lld\n", files.load(), bytes.load());
  return 0;
}
