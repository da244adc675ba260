// The POSIX process side of the seam.
#include <errno.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <string>

#include "platform/standard_system.h"
#include "platform/system.h"

namespace korven {

namespace {

volatile sig_atomic_t g_interrupted = 0;
volatile sig_atomic_t g_pipeReaderGone = 0;

// The terminal as the user had it and as keys are read from it: one at a
// time, without echo, Ctrl-C still raising the signal. The signal handlers
// switch between the two, so all of it lives here.
struct termios g_userTerminal;
struct termios g_keyTerminal;
// Keys are read from the terminal: set once the two settings are known,
// cleared when the terminal is given back for good.
volatile sig_atomic_t g_keyModeWanted = 0;
// The key settings are in force on the terminal.
volatile sig_atomic_t g_terminalTaken = 0;
// The run went on while in the background: the key settings are put back
// the next time a key is read in the foreground.
volatile sig_atomic_t g_retakeTerminal = 0;

bool InForeground() {
  pid_t group = tcgetpgrp(STDIN_FILENO);
  return group != -1 && group == getpgrp();
}

// Calls tcsetattr with SIGTTOU blocked, so that a run in the background may
// set the terminal too instead of being stopped for it.
bool SetTerminal(const struct termios& settings) {
  sigset_t ttou, before;
  sigemptyset(&ttou);
  sigaddset(&ttou, SIGTTOU);
  pthread_sigmask(SIG_BLOCK, &ttou, &before);
  bool set = tcsetattr(STDIN_FILENO, TCSANOW, &settings) == 0;
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  return set;
}

void GiveTerminalBack() {
  SetTerminal(g_userTerminal);
  g_terminalTaken = 0;
}

// Marked first, so that a stop arriving meanwhile gives the terminal back.
bool TakeKeyMode() {
  g_retakeTerminal = 0;
  g_terminalTaken = 1;
  if (!SetTerminal(g_keyTerminal)) g_terminalTaken = 0;
  return g_terminalTaken != 0;
}

void OnInterrupt(int) { g_interrupted = 1; }
void OnPipeReaderGone(int) { g_pipeReaderGone = 1; }

// Going on after a stop: the key settings are taken again at once in the
// foreground, else once the run is brought back to it.
void OnContinue(int) {
  int savedErrno = errno;
  if (g_keyModeWanted) {
    if (InForeground()) {
      TakeKeyMode();
    } else {
      g_retakeTerminal = 1;
    }
  }
  errno = savedErrno;
}

void Install(int signalNumber, void (*handler)(int), bool keepIgnored) {
  struct sigaction action = {};
  if (keepIgnored && sigaction(signalNumber, nullptr, &action) == 0 && action.sa_handler == SIG_IGN) {
    return;
  }
  action = {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  // A write to a terminal or a pipe that waits for its reader goes on waiting
  // rather than failing with the records half written.
  action.sa_flags = SA_RESTART;
  sigaction(signalNumber, &action, nullptr);
}

// Ctrl-Z: the terminal goes back to the user while the run is stopped. The
// stop itself is the default action, raised again with this handler away.
void OnStop(int signalNumber) {
  int savedErrno = errno;
  if (g_terminalTaken) GiveTerminalBack();
  signal(signalNumber, SIG_DFL);
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, signalNumber);
  raise(signalNumber);
  pthread_sigmask(SIG_UNBLOCK, &stop, nullptr);  // stopped here until SIGCONT
  Install(signalNumber, OnStop, false);
  errno = savedErrno;
}

// Counts the loads of the time zone, from 1: times broken down under an
// earlier one are not used again.
std::atomic<unsigned> zoneLoads{1};

class PosixSystem : public StandardSystem {
 public:
  // The terminal is the user's again however the process ends.
  ~PosixSystem() override { RestoreConsole(); }

  // Whole, however long: a name cut short would be another file's.
  std::string ModuleFileName() override {
    std::string path(PATH_MAX, '\0');
    for (;;) {
      ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
      if (length <= 0) return "korven";
      if (static_cast<size_t>(length) < path.size()) return path.substr(0, static_cast<size_t>(length));
      path.resize(path.size() * 2);
    }
  }

  std::string CurrentDirectory() override {
    char* path = getcwd(nullptr, 0);  // whole, beyond PATH_MAX too
    if (path == nullptr) return ".";
    std::string directory = path;
    free(path);
    return directory;
  }

  std::string ComputerName() override {
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0) return "";
    std::string text = name;
    return text.substr(0, text.find('.'));
  }

  void LoadTimeZone() override {
    tzset();
    zoneLoads.fetch_add(1, std::memory_order_relaxed);
  }

  std::string StandardTimeZoneName() override { return tzname[0] != nullptr ? tzname[0] : ""; }

  // A record breaks down three times of its file, and the files of a
  // directory often share them to the second: the last few seconds broken
  // down on each thread are kept, which spares the time zone look-up, until
  // the zone is loaded again.
  static bool BreakDownSeconds(int64_t seconds, bool utc, struct tm* parts) {
    struct Kept {
      int64_t seconds = 0;
      bool utc = false;
      unsigned zone = 0;  // 0: nothing kept
      struct tm parts {};
    };
    thread_local std::array<Kept, 4> kept;
    thread_local size_t next = 0;
    const unsigned zone = zoneLoads.load(std::memory_order_relaxed);
    for (const Kept& k : kept) {
      if (k.zone == zone && k.seconds == seconds && k.utc == utc) {
        *parts = k.parts;
        return true;
      }
    }
    const time_t when = static_cast<time_t>(seconds);
    if ((utc ? gmtime_r(&when, parts) : localtime_r(&when, parts)) == nullptr) return false;
    kept[next] = Kept{seconds, utc, zone, *parts};
    next = (next + 1) % kept.size();
    return true;
  }

  bool BreakDownFileTime(uint64_t fileTime, bool utc, CivilTime* out) override {
    if (fileTime > kLastShownFileTime) return false;
    int64_t seconds = static_cast<int64_t>(fileTime / kFileTimeTicksPerSecond) -
                      static_cast<int64_t>(kFileTimeEpochOffsetSeconds);
    struct tm parts;
    if (!BreakDownSeconds(seconds, utc, &parts)) return false;
    out->year = parts.tm_year + 1900;
    out->month = parts.tm_mon + 1;
    out->day = parts.tm_mday;
    out->hour = parts.tm_hour;
    out->minute = parts.tm_min;
    out->second = parts.tm_sec;
    out->milliseconds = static_cast<int>(fileTime % kFileTimeTicksPerSecond / 10000);
    out->weekday = parts.tm_wday;
    return true;
  }

  void InstallSignalHandlers() override {
    // A signal the run was started with ignored (nohup, a background job of
    // a shell without job control) stays ignored.
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) Install(signalNumber, OnInterrupt, true);
    Install(SIGPIPE, OnPipeReaderGone, false);
    Install(SIGTSTP, OnStop, true);
    Install(SIGCONT, OnContinue, false);
  }

  bool InterruptPending() override { return g_interrupted != 0; }
  bool PipeReaderGone() override { return g_pipeReaderGone != 0; }

  int PollKey() override {
    if (!TakeTerminal()) return -1;
    // The clock read costs no system call; the keyboard is read at most every 20 ms.
    auto now = std::chrono::steady_clock::now();
    if (now - lastPoll_ < std::chrono::milliseconds(20)) return -1;
    lastPoll_ = now;
    unsigned char key;
    return read(STDIN_FILENO, &key, 1) == 1 ? key : -1;
  }

  int ReadKey() override {
    while (TakeTerminal()) {
      struct pollfd input = {STDIN_FILENO, POLLIN, 0};
      // Unlike a read, a poll is never restarted after a signal: an
      // interrupt ends the wait; a stop and a continue only resume it.
      if (poll(&input, 1, -1) < 0) {
        if (errno != EINTR || g_interrupted || g_pipeReaderGone) return -1;
        continue;
      }
      unsigned char key;
      ssize_t got = read(STDIN_FILENO, &key, 1);
      if (got == 1) return key;
      if (got == 0 && (input.revents & POLLHUP) != 0) return -1;
    }
    return -1;
  }

  int ConsoleRows() override {
    if (isatty(STDIN_FILENO) == 0 || isatty(STDOUT_FILENO) == 0) return 0;
    struct winsize size = {};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_row == 0) return kDefaultRows;
    return size.ws_row;
  }

  void RestoreConsole() override {
    g_keyModeWanted = 0;
    if (g_terminalTaken) GiveTerminalBack();
  }

  void Sleep(int milliseconds) override {
    struct timespec delay = {milliseconds / 1000, (milliseconds % 1000) * 1000000L};
    while (nanosleep(&delay, &delay) != 0) {
    }
  }

  int ErrorTerminalColumns() override {
    struct winsize size = {};
    if (isatty(STDERR_FILENO) == 0) return 0;
    return ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
  }

  bool IsConsole(FILE* stream) override { return isatty(fileno(stream)) != 0; }

 private:
  static constexpr int kDefaultRows = 24;

  // Puts the terminal into the key settings where they aren't yet. False
  // when no key can be read: standard input is no terminal, the run is in the
  // background, or the terminal was given back for good.
  bool TakeTerminal() {
    if (!consoleChecked_) {
      consoleChecked_ = true;
      if (isatty(STDIN_FILENO) != 0 && tcgetattr(STDIN_FILENO, &g_userTerminal) == 0) {
        g_keyTerminal = g_userTerminal;
        g_keyTerminal.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
        g_keyTerminal.c_cc[VMIN] = 0;
        g_keyTerminal.c_cc[VTIME] = 0;
        g_keyModeWanted = 1;
      }
    }
    if (!g_keyModeWanted || !InForeground()) return false;
    return (g_terminalTaken && !g_retakeTerminal) || TakeKeyMode();
  }

  bool consoleChecked_ = false;
  std::chrono::steady_clock::time_point lastPoll_;
};

}  // namespace

System& RealSystem() {
  static PosixSystem system;
  return system;
}

}  // namespace korven
