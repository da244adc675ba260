// Escape typed at the terminal during a walk ends the run as aborted by the user.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include <gtest/gtest.h>

#include "harness.h"

namespace korven::e2e {
namespace {

constexpr int kFiles = 3000;

TEST(WalkAbort, EscapeAtTheTerminalEndsTheRunAsUserAborted) {
  if (UnderWine()) GTEST_SKIP() << "needs the native program on a pseudo-terminal";
  TempTree tree;
  for (int i = 0; i < kFiles; ++i) tree.AddFile("many/f" + std::to_string(i) + ".txt", "x");

  int master = -1;
  pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (chdir(tree.Path("many").c_str()) != 0) _exit(127);
    execl(KORVEN_NATIVE_BINARY, KORVEN_NATIVE_BINARY, static_cast<char*>(nullptr));
    _exit(127);
  }

  // Escape goes in at once and then every few milliseconds: a key typed
  // before the program switches the terminal to single keys waits for it.
  const char escape = 27;
  std::string output;
  int status = -1;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline) {
    if (write(master, &escape, 1) != 1) break;
    struct pollfd ready = {master, POLLIN, 0};
    if (poll(&ready, 1, 10) > 0) {
      char buffer[4096];
      ssize_t got = read(master, buffer, sizeof buffer);
      if (got > 0) output.append(buffer, static_cast<size_t>(got));
    }
    if (waitpid(child, &status, WNOHANG) == child) break;
    status = -1;
  }
  if (status == -1) {
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    FAIL() << "the program did not end\n" << output;
  }
  // What is left to read after the end.
  char buffer[4096];
  for (ssize_t got; (got = read(master, buffer, sizeof buffer)) > 0;) {
    output.append(buffer, static_cast<size_t>(got));
  }
  close(master);

  ASSERT_TRUE(WIFEXITED(status)) << output;
  EXPECT_EQ(WEXITSTATUS(status), 1) << output;
  EXPECT_NE(output.find("Abnormal termination. Reason: USER_ABORTED"), std::string::npos) << output;
  // The walk stopped early: not every file got its record.
  size_t records = 0;
  for (size_t at = output.find(".TXT"); at != std::string::npos; at = output.find(".TXT", at + 1)) {
    ++records;
  }
  EXPECT_LT(records, static_cast<size_t>(kFiles));
}

}  // namespace
}  // namespace korven::e2e
