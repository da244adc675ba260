#include <conio.h>
#include <io.h>
#include <windows.h>

#include <csignal>
#include <ctime>

#include "platform/standard_system.h"
#include "platform/system.h"
#include "platform/win32/ansi_text.h"
#include "platform/win32/file_time.h"

namespace korven {
namespace {

volatile std::sig_atomic_t interruptPending = 0;

constexpr int kDefaultRows = 25;

// Runs on the console's control thread: only records the signal. The
// runtime resets the handler before the call, so it is set again.
void OnInterrupt(int signalNumber) {
  interruptPending = 1;
  std::signal(signalNumber, OnInterrupt);
}

class Win32System : public StandardSystem {
 public:
  // Whole, however long: a name cut short would be another file's. Both
  // paths are asked in the wide form: an ANSI form could name a lookalike of
  // another directory.
  std::string ModuleFileName() override {
    std::wstring name(MAX_PATH + 1, L'\0');
    DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    while (length == name.size() && name.size() < 32768) {
      name.resize(name.size() * 2);
      length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    }
    name.resize(length);
    return AnsiPathFrom(name);
  }

  std::string CurrentDirectory() override {
    DWORD needed = GetCurrentDirectoryW(0, nullptr);
    if (needed == 0) return "";
    std::wstring directory(needed, L'\0');
    DWORD length = GetCurrentDirectoryW(needed, directory.data());
    directory.resize(length < needed ? length : 0);
    return AnsiPathFrom(directory);
  }

  std::string ComputerName() override {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = "";
    DWORD length = sizeof name;
    if (!GetComputerNameA(name, &length)) return "";
    return std::string(name, length);
  }

  void LoadTimeZone() override { _tzset(); }

  std::string StandardTimeZoneName() override { return _tzname[0] != nullptr ? _tzname[0] : ""; }

  bool BreakDownFileTime(uint64_t fileTime, bool utc, CivilTime* out) override {
    // Checked before the zone shift, which could carry a time past the end over to an early one.
    if (fileTime > kLastShownFileTime) return false;
    FILETIME time = ToFileTime(fileTime);
    FILETIME local;
    if (!utc) {
      if (!FileTimeToLocalFileTime(&time, &local)) return false;
      time = local;
    }
    SYSTEMTIME broken;
    if (!FileTimeToSystemTime(&time, &broken)) return false;
    out->year = broken.wYear;
    out->month = broken.wMonth;
    out->day = broken.wDay;
    out->hour = broken.wHour;
    out->minute = broken.wMinute;
    out->second = broken.wSecond;
    out->milliseconds = broken.wMilliseconds;
    out->weekday = broken.wDayOfWeek;
    return true;
  }

  // Ctrl-C and Ctrl-Break reach the program as signals; SIGTERM only when
  // the program raises it itself. A closed pipe is a failed write here.
  void InstallSignalHandlers() override {
    for (int signalNumber : {SIGINT, SIGBREAK, SIGTERM}) std::signal(signalNumber, OnInterrupt);
  }
  bool InterruptPending() override { return interruptPending != 0; }
  bool PipeReaderGone() override { return false; }

  int PollKey() override {
    if (!_isatty(0) || !_kbhit()) return -1;
    return _getch();
  }

  // Polled, so that Ctrl-C, which the console hands to the signal handler
  // rather than to _getch, ends the wait. Standard input redirected from a
  // file, a pipe or NUL is no keyboard: nobody can answer.
  int ReadKey() override {
    if (!IsConsoleHandle(GetStdHandle(STD_INPUT_HANDLE))) return -1;
    while (!_kbhit()) {
      if (interruptPending) return -1;
      ::Sleep(20);
    }
    return _getch();
  }

  int ConsoleRows() override {
    if (!IsConsoleHandle(GetStdHandle(STD_INPUT_HANDLE)) || !IsConsoleHandle(GetStdHandle(STD_OUTPUT_HANDLE))) {
      return 0;
    }
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info)) return kDefaultRows;
    return info.srWindow.Bottom - info.srWindow.Top + 1;
  }

  // The console keeps its own modes; _getch reads without echo by itself.
  void RestoreConsole() override {}

  void Sleep(int milliseconds) override { ::Sleep(static_cast<DWORD>(milliseconds)); }

  // A console, not the runtime's idea of a terminal: a pipe is none.
  int ErrorTerminalColumns() override {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info)) return 0;
    int columns = info.srWindow.Right - info.srWindow.Left + 1;
    return columns > 0 ? columns : 80;
  }

  bool IsConsole(FILE* stream) override {
    return IsConsoleHandle(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))));
  }

 private:
  // NUL and other character devices are no console: only a console has a mode.
  static bool IsConsoleHandle(HANDLE handle) {
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode) != 0;
  }
};

}  // namespace

System& RealSystem() {
  static Win32System system;
  return system;
}

}  // namespace korven
