// The POSIX process side of the seam.
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <string>

#include "platform/standard_system.h"
#include "platform/system.h"

namespace korven {

namespace {

volatile sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) { g_interrupted = 1; }

class PosixSystem : public StandardSystem {
 public:
  std::string ModuleFileName() override {
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : "korven";
  }

  std::string CurrentDirectory() override {
    char path[PATH_MAX];
    return getcwd(path, sizeof path) != nullptr ? std::string(path) : std::string(".");
  }

  std::string ComputerName() override {
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0) return "";
    std::string text = name;
    return text.substr(0, text.find('.'));
  }

  void LoadTimeZone() override { tzset(); }

  std::string StandardTimeZoneName() override { return tzname[0] != nullptr ? tzname[0] : ""; }

  bool BreakDownFileTime(uint64_t fileTime, bool utc, CivilTime* out) override {
    int64_t seconds = static_cast<int64_t>(fileTime / kFileTimeTicksPerSecond) -
                      static_cast<int64_t>(kFileTimeEpochOffsetSeconds);
    time_t when = static_cast<time_t>(seconds);
    struct tm parts;
    if ((utc ? gmtime_r(&when, &parts) : localtime_r(&when, &parts)) == nullptr) return false;
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

  void InstallInterruptHandler() override {
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
  }

  bool InterruptPending() override { return g_interrupted != 0; }

  int PollKey() override {
    if (!consoleChecked_) {
      consoleChecked_ = true;
      isConsole_ = isatty(STDIN_FILENO) != 0 && tcgetattr(STDIN_FILENO, &savedTerminal_) == 0;
      if (isConsole_) {
        // Keys arrive one at a time without echo; Ctrl-C still raises the signal.
        struct termios raw = savedTerminal_;
        raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
        raw.c_cc[VMIN] = 0;
        raw.c_cc[VTIME] = 0;
        terminalChanged_ = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
      }
    }
    if (!isConsole_) return -1;
    // The clock read costs no system call; the keyboard is read at most every 20 ms.
    auto now = std::chrono::steady_clock::now();
    if (now - lastPoll_ < std::chrono::milliseconds(20)) return -1;
    lastPoll_ = now;
    unsigned char key;
    return read(STDIN_FILENO, &key, 1) == 1 ? key : -1;
  }

  void RestoreConsole() override {
    if (terminalChanged_) {
      tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal_);
      terminalChanged_ = false;
    }
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

  void SetFileApisToAnsi() override {}
  void SetFileApisToOem() override {}

 private:
  bool consoleChecked_ = false;
  bool isConsole_ = false;
  bool terminalChanged_ = false;
  struct termios savedTerminal_ = {};
  std::chrono::steady_clock::time_point lastPoll_;
};

}  // namespace

System& RealSystem() {
  static PosixSystem system;
  return system;
}

}  // namespace korven
