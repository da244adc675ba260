// A System for unit tests: fixed clock, environment, zone offset and keys.
#ifndef KORVEN_TESTING_FAKE_SYSTEM_H_
#define KORVEN_TESTING_FAKE_SYSTEM_H_

#include <deque>
#include <functional>
#include <map>
#include <string>

#include "platform/system.h"

namespace korven {

class FakeSystem : public System {
 public:
  std::map<std::string, std::string> environment;
  int64_t now = 1204898700;  // 2008-03-07 14:05:00 UTC
  int utcOffsetMinutes = 0;  // local time = UTC + offset
  std::string zoneName = "UTC";
  std::string computerName = "TESTHOST";
  std::string currentDirectory = "/fake/cwd";
  std::string moduleFileName = "/fake/bin/korven";
  bool interrupted = false;
  bool pipeReaderGone = false;
  int consoleRows = 0;   // 0: the listing or the keyboard is no console
  std::deque<int> keys;  // what PollKey and ReadKey hand out; none left: no console to read
  bool console = false;  // what IsConsole says of every stream
  // Runs while ReadKey waits, as a user who changes a disk before the key.
  std::function<void()> onReadKey;
  int nowCalls = 0;  // clock readings taken
  int sleptMilliseconds = 0;
  int restoreCount = 0;
  int terminalColumns = 0;  // what ErrorTerminalColumns reports: 0 for no terminal

  std::string ModuleFileName() override { return moduleFileName; }
  std::optional<std::string> GetEnv(const std::string& name) override;
  std::string CurrentDirectory() override { return currentDirectory; }
  std::string ComputerName() override { return computerName; }
  int64_t Now() override {
    ++nowCalls;
    return now;
  }
  void LoadTimeZone() override {}
  std::string StandardTimeZoneName() override { return zoneName; }
  bool BreakDownFileTime(uint64_t fileTime, bool utc, CivilTime* out) override;
  int64_t LocalToEpoch(const CivilTime& local) override;
  void InstallSignalHandlers() override {}
  bool InterruptPending() override { return interrupted; }
  bool PipeReaderGone() override { return pipeReaderGone; }
  int PollKey() override;
  int ReadKey() override;
  int ConsoleRows() override { return consoleRows; }
  void RestoreConsole() override { ++restoreCount; }
  void Sleep(int milliseconds) override { sleptMilliseconds += milliseconds; }
  int ErrorTerminalColumns() override { return terminalColumns; }
  bool IsConsole(FILE*) override { return console; }
};

}  // namespace korven

#endif  // KORVEN_TESTING_FAKE_SYSTEM_H_
