// Runs the real program the way a user does and builds the files it lists.
// The same tests run against the native program and, with
// KORVEN_E2E_TARGET=wine and KORVEN_EXE=<korven.exe>, against the Win32
// program under Wine.
#ifndef KORVEN_TESTS_E2E_HARNESS_H_
#define KORVEN_TESTS_E2E_HARNESS_H_

#include <chrono>
#include <csignal>
#include <cstdint>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

namespace korven::e2e {

struct RunResult {
  int status = -1;        // exit status; 128 + signal number when killed
  bool timedOut = false;  // killed because it ran too long
  std::string out;        // standard output, line ends as LF
  std::string err;        // standard error, line ends as LF
};

// True when the tests drive korven.exe under Wine.
bool UnderWine();

// The absolute path of `program` along PATH, or empty.
std::string FindInPath(const std::string& program);

// A fresh directory under /tmp (short, so listed names stay unfitted),
// removed with everything in it when the tree goes out of scope.
class TempTree {
 public:
  TempTree();
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  // Absolute path of the root, without a trailing slash.
  const std::string& Root() const { return root_; }
  // Absolute path of `relative` ("sub/a.txt") inside the tree.
  std::string Path(const std::string& relative) const;

  // Creates the file (and its missing parent directories) with `contents`.
  void AddFile(const std::string& relative, const std::string& contents);
  // Creates a file of `size` bytes of a fixed non-constant pattern.
  void AddFileOfSize(const std::string& relative, uint64_t size);
  void AddDirectory(const std::string& relative);
  // Creates `name` with `contents` below the directories `dirs` (made where
  // missing), one level at a time, so that its path may be longer than the
  // kernel takes in one call.
  void AddDeepFile(const std::vector<std::string>& dirs, const std::string& name, const std::string& contents);
  // Sets the last-write and access times (seconds since 1970, UTC).
  void SetTimes(const std::string& relative, time_t write, time_t access);

 private:
  std::string root_;
};

// Runs the program with `args` in `cwd`. The environment is this process's,
// without the variables that change the program's defaults (RESET, SILENT,
// ACCT), plus `env`. `stdinText` is standard input, then end of input.
// A run still going after 60 s is killed and reported as timed out.
RunResult RunKorven(const std::vector<std::string>& args, const std::string& cwd,
                    const std::vector<std::pair<std::string, std::string>>& env = {},
                    const std::string& stdinText = "");

// As RunKorven, with a copy of the native program made at `copy` first.
RunResult RunKorvenCopiedTo(const std::string& copy, const std::vector<std::string>& args, const std::string& cwd);

// As RunKorven, and sends `signalNumber` to the program `after` its start.
RunResult RunKorvenInterrupted(const std::vector<std::string>& args, const std::string& cwd,
                               std::chrono::milliseconds after, int signalNumber = SIGINT);

// Runs the program as RunKorven does, with standard output and standard error
// on /dev/null (NUL to the Win32 program), under strace: the write calls it
// made, one line each, with the path each went to ("write(1</dev/null>, ...").
// Empty, with `why` saying so, when strace cannot trace here.
std::vector<std::string> TracedWrites(const std::vector<std::string>& args, const std::string& cwd,
                                      std::string* why);

// A file no other program can open while this lives: under Wine held open
// without sharing by a small Win32 program (korven_hold_file.exe beside
// KORVEN_EXE); natively, a file without permissions. Held() is false, with
// Why(), where neither can be had.
class LockedFile {
 public:
  explicit LockedFile(const std::string& path);
  ~LockedFile();
  LockedFile(const LockedFile&) = delete;
  LockedFile& operator=(const LockedFile&) = delete;

  bool Held() const { return why_.empty(); }
  const std::string& Why() const { return why_; }

 private:
  std::string why_;
  int pid_ = -1;     // the holder under Wine
  int toHolder_ = -1;  // its standard input: closing it lets the file go
};

// The text of a file the program wrote, line ends as LF (the Win32 program writes CRLF).
std::string ReadFileText(const std::string& path);

// A path as the program's platform spells it: unchanged natively; under Wine
// with backslashes, and an absolute path on drive Z: ("Z:\tmp\x").
std::string HostPath(const std::string& path);

// A path as the listing shows it: HostPath upper-cased, ASCII letters only
// ("SUB/A.TXT" natively, "SUB\A.TXT" or "Z:\TMP\..." under Wine). Under
// Wine the name is in code page 1252, a character it cannot hold shown as
// '?' ("Ωmega.txt" is "?MEGA.TXT"); natively its bytes are as they are.
std::string ListedName(const std::string& path);

}  // namespace korven::e2e

#endif  // KORVEN_TESTS_E2E_HARNESS_H_
