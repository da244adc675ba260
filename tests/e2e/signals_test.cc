// Signals end a run cleanly: whole records, the summary, the terminal given
// back; a listing whose reader went away ends quietly.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "harness.h"

namespace korven::e2e {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kDeadline = std::chrono::seconds(30);

// A tree whose listing takes long: a few small files, then a sparse file far
// too big to read before the test is done with the run. The small files are
// of a type listed first, so that the order the directory keeps its entries
// in does not matter.
void AddSlowTree(TempTree& tree) {
  for (int i = 0; i < 5; ++i) {
    // Not "a" + std::to_string(i): GCC 12 at -O3 takes that for an overlapping copy (-Wrestrict).
    const std::string number = std::to_string(i);
    tree.AddFile("a" + number + ".txt", "x");
  }
  tree.AddFile("huge.bin", "");
  ASSERT_EQ(truncate(tree.Path("huge.bin").c_str(), 200LL << 30), 0);
}

TEST(Signals, EachEndsAnOutputFileWithWholeRecordsAndTheSummary) {
  for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
    if (UnderWine() && signalNumber != SIGINT) continue;  // Windows has no such signals
    TempTree tree;
    AddSlowTree(tree);
    const std::string output = tree.Path("out.lst");
    RunResult result = RunKorvenInterrupted({"-o", HostPath(output), "-f", "*.txt", "*.bin"}, tree.Root(),
                                            std::chrono::milliseconds(1500), signalNumber);
    EXPECT_FALSE(result.timedOut) << signalNumber;
    EXPECT_EQ(result.status, 2) << signalNumber << result.err;
    const std::string text = ReadFileText(output);
    // A record is written once its file is read: the file being read when the
    // signal came is left out, and the summary follows the whole records.
    EXPECT_EQ(text.find(ListedName(tree.Path("huge.bin"))), std::string::npos) << signalNumber << "\n" << text;
    EXPECT_NE(text.find(ListedName(tree.Path("a4.txt"))), std::string::npos) << signalNumber << "\n" << text;
    EXPECT_NE(text.find(" \n\n  1 directory, 5 files, "), std::string::npos) << signalNumber << "\n" << text;
    EXPECT_NE(text.find("Elapsed:"), std::string::npos) << signalNumber;
  }
}

// The program on a terminal of its own, started the way a shell starts a job:
// in a process group of its own in the foreground, below a session leader,
// so that the terminal's job control applies to it.
class TerminalJob {
 public:
  explicit TerminalJob(const std::string& cwd) {
    int pidPipe[2];
    if (pipe(pidPipe) != 0) return;
    leader_ = forkpty(&master_, nullptr, nullptr, nullptr);
    if (leader_ == 0) {
      close(pidPipe[0]);
      pid_t job = fork();
      if (job == 0) {
        sigset_t ttou, before;
        sigemptyset(&ttou);
        sigaddset(&ttou, SIGTTOU);
        sigprocmask(SIG_BLOCK, &ttou, &before);
        setpgid(0, 0);
        tcsetpgrp(STDIN_FILENO, getpid());
        sigprocmask(SIG_SETMASK, &before, nullptr);
        if (chdir(cwd.c_str()) != 0) _exit(127);
        execl(KORVEN_NATIVE_BINARY, KORVEN_NATIVE_BINARY, static_cast<char*>(nullptr));
        _exit(127);
      }
      if (write(pidPipe[1], &job, sizeof job) != sizeof job) _exit(126);
      int status = 0;
      while (waitpid(job, &status, 0) < 0) {
      }
      _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    }
    close(pidPipe[1]);
    if (leader_ < 0 || read(pidPipe[0], &job_, sizeof job_) != sizeof job_) job_ = -1;
    close(pidPipe[0]);
  }
  ~TerminalJob() {
    if (leader_ > 0 && !ended_) {
      kill(job_, SIGKILL);
      kill(job_, SIGCONT);
      waitpid(leader_, nullptr, 0);
    }
    if (master_ >= 0) close(master_);
  }

  bool Started() const { return job_ > 0; }
  void Signal(int signalNumber) const { kill(job_, signalNumber); }

  // Whether the terminal is in the program's key reading mode (no echo, one
  // key at a time) rather than the user's.
  bool KeyMode() const {
    struct termios settings;
    return tcgetattr(master_, &settings) == 0 && (settings.c_lflag & (ECHO | ICANON)) == 0;
  }
  bool UserMode() const {
    struct termios settings;
    return tcgetattr(master_, &settings) == 0 && (settings.c_lflag & (ECHO | ICANON)) == (ECHO | ICANON);
  }

  // Waits, reading what the program writes, until `done` holds; false after 30 s.
  template <typename Condition>
  bool WaitFor(Condition done) {
    for (auto end = Clock::now() + kDeadline; Clock::now() < end;) {
      if (done()) return true;
      Drain(10);
    }
    return done();
  }

  bool Stopped() const {
    std::ifstream stat("/proc/" + std::to_string(job_) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    size_t close = text.rfind(')');
    return close != std::string::npos && close + 2 < text.size() && text[close + 2] == 'T';
  }

  // The program's exit status; -1 when it did not end within 30 s.
  int Wait() {
    int status = -1;
    if (!WaitFor([&] { return waitpid(leader_, &status, WNOHANG) == leader_; })) return -1;
    ended_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  const std::string& Output() const { return output_; }

 private:
  void Drain(int milliseconds) {
    struct pollfd ready = {master_, POLLIN, 0};
    if (poll(&ready, 1, milliseconds) <= 0) return;
    char buffer[4096];
    ssize_t got = read(master_, buffer, sizeof buffer);
    if (got > 0) output_.append(buffer, static_cast<size_t>(got));
  }

  int master_ = -1;
  pid_t leader_ = -1;
  pid_t job_ = -1;
  bool ended_ = false;
  std::string output_;
};

TEST(Signals, EveryEndGivesTheTerminalBack) {
  if (UnderWine()) GTEST_SKIP() << "needs the native program on a pseudo-terminal";
  struct Case {
    int signalNumber;
    int status;
  } cases[] = {{SIGINT, 2}, {SIGTERM, 2}, {SIGHUP, 2}, {SIGQUIT, 2}, {SIGPIPE, 141}};
  for (const Case& c : cases) {
    TempTree tree;
    AddSlowTree(tree);
    TerminalJob job(tree.Root());
    ASSERT_TRUE(job.Started());
    ASSERT_TRUE(job.WaitFor([&] { return job.KeyMode(); })) << c.signalNumber << job.Output();
    job.Signal(c.signalNumber);
    EXPECT_EQ(job.Wait(), c.status) << c.signalNumber << job.Output();
    EXPECT_TRUE(job.UserMode()) << c.signalNumber;
  }
}

TEST(Signals, StoppedRunGivesTheTerminalBackAndTakesItAgainOnContinue) {
  if (UnderWine()) GTEST_SKIP() << "needs the native program on a pseudo-terminal";
  TempTree tree;
  AddSlowTree(tree);
  TerminalJob job(tree.Root());
  ASSERT_TRUE(job.Started());
  ASSERT_TRUE(job.WaitFor([&] { return job.KeyMode(); })) << job.Output();
  job.Signal(SIGTSTP);
  ASSERT_TRUE(job.WaitFor([&] { return job.Stopped(); })) << job.Output();
  EXPECT_TRUE(job.UserMode());
  job.Signal(SIGCONT);
  EXPECT_TRUE(job.WaitFor([&] { return job.KeyMode(); })) << job.Output();
  job.Signal(SIGTERM);
  EXPECT_EQ(job.Wait(), 2) << job.Output();
  EXPECT_TRUE(job.UserMode());
}

// `korven | head -1`: once the reader has gone, the run ends without a word,
// as a pipeline tool does.
TEST(Signals, ListingWhoseReaderWentAwayEndsQuietly) {
  if (UnderWine()) GTEST_SKIP() << "Windows has no SIGPIPE: a closed pipe is a write error there";
  TempTree tree;
  // Far more listing than a pipe holds.
  for (int i = 0; i < 200; ++i) {
    const std::string number = std::to_string(i);  // as in AddSlowTree
    tree.AddFile("f" + number + ".txt", "x");
  }
  int out[2], err[2];
  ASSERT_EQ(pipe(out), 0);
  ASSERT_EQ(pipe(err), 0);
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    close(out[0]);
    close(err[0]);
    int devNull = open("/dev/null", O_RDONLY);
    dup2(devNull, STDIN_FILENO);
    if (chdir(tree.Root().c_str()) != 0) _exit(127);
    execl(KORVEN_NATIVE_BINARY, KORVEN_NATIVE_BINARY, "-v", "-w", "2000", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  char first[100];
  EXPECT_EQ(read(out[0], first, sizeof first), static_cast<ssize_t>(sizeof first));
  close(out[0]);
  std::string messages;
  char buffer[4096];
  for (ssize_t got; (got = read(err[0], buffer, sizeof buffer)) > 0;) messages.append(buffer, static_cast<size_t>(got));
  close(err[0]);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 141);
  EXPECT_EQ(messages, "");
}

}  // namespace
}  // namespace korven::e2e
