// The process side of the platform seam: clock, environment, console, signals.
#ifndef KORVEN_PLATFORM_SYSTEM_H_
#define KORVEN_PLATFORM_SYSTEM_H_

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace korven {

// A broken-down time as the records print it.
struct CivilTime {
  int year = 0;
  int month = 0;  // 1-12
  int day = 0;    // 1-31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int milliseconds = 0;
  int weekday = 0;  // 0 Sunday
};

class System {
 public:
  virtual ~System() = default;

  virtual std::string ModuleFileName() = 0;
  virtual std::optional<std::string> GetEnv(const std::string& name) = 0;
  virtual std::string CurrentDirectory() = 0;
  virtual std::string ComputerName() = 0;

  // Seconds since 1970-01-01 UTC.
  virtual int64_t Now() = 0;
  // Reads TZ into the runtime's settings; later conversions use them.
  virtual void LoadTimeZone() = 0;
  // The standard-time zone name of the loaded settings.
  virtual std::string StandardTimeZoneName() = 0;
  // Breaks a file time (100 ns since 1601 UTC) down as UTC or as local time;
  // false for a time that can't be shown (past kLastShownFileTime, or out of
  // the conversion's range).
  virtual bool BreakDownFileTime(uint64_t fileTime, bool utc, CivilTime* out) = 0;
  // Seconds since 1970 of a local calendar time (for date options).
  virtual int64_t LocalToEpoch(const CivilTime& local) = 0;

  // Signals: the handlers only record them. The interrupt, terminate, hang-up
  // and quit signals all end the run as an interrupt; a pipe whose reader went
  // away is told apart; a stop gives the terminal back until the run goes on.
  virtual void InstallSignalHandlers() = 0;
  virtual bool InterruptPending() = 0;
  // True once a pipe the program writes to has lost its reader.
  virtual bool PipeReaderGone() = 0;

  // Console keyboard: the code of a waiting key, or -1 without blocking.
  // Nothing is read when standard input is not a console.
  virtual int PollKey() = 0;
  // Waits for one key typed at the console, read without echo; -1 when
  // standard input is no console or a signal arrived while waiting.
  virtual int ReadKey() = 0;
  // Rows of the screen when standard output and standard input are both the
  // console, else 0.
  virtual int ConsoleRows() = 0;
  // Gives the terminal back its own settings; safe to call more than once.
  virtual void RestoreConsole() = 0;
  virtual void Sleep(int milliseconds) = 0;
  // The width of the terminal standard error writes to; 0 when it writes
  // to a file or pipe.
  virtual int ErrorTerminalColumns() { return 0; }

  // Whether `stream` writes to a console (a terminal), where a user watches
  // the output as it comes, rather than to a file, a pipe or a device.
  virtual bool IsConsole(FILE* stream) = 0;
};

System& RealSystem();

// File times: 100 ns units since 1601-01-01 UTC.
constexpr uint64_t kFileTimeTicksPerSecond = 10000000ULL;
constexpr uint64_t kFileTimeEpochOffsetSeconds = 11644473600ULL;  // 1601 -> 1970

// The last file time Win32 breaks down (in September 30828); later ones are
// not shown on either platform.
constexpr uint64_t kLastShownFileTime = 0x7FFFFFFFFFFFFFFFULL;

inline uint64_t EpochToFileTime(int64_t seconds) {
  return static_cast<uint64_t>(seconds + static_cast<int64_t>(kFileTimeEpochOffsetSeconds)) *
         kFileTimeTicksPerSecond;
}

}  // namespace korven

#endif  // KORVEN_PLATFORM_SYSTEM_H_
