// How a run starts and ends: environment, accounting file, summary, status.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>

#include "harness.h"

namespace korven::e2e {
namespace {

TEST(RunControl, SilentOnSuppressesTheSummaryOnTheMessageStream) {
  TempTree tree;
  tree.AddFile("a.txt", "x");
  RunResult loud = RunKorven({}, tree.Root());
  RunResult silent = RunKorven({}, tree.Root(), {{"SILENT", "on"}});
  EXPECT_EQ(loud.status, 0);
  EXPECT_EQ(silent.status, 0);
  EXPECT_NE(loud.err.find("Elapsed:"), std::string::npos) << loud.err;
  EXPECT_EQ(silent.err.find("Elapsed:"), std::string::npos) << silent.err;
  EXPECT_NE(silent.out.find(ListedName(tree.Path("a.txt"))), std::string::npos) << silent.out;
}

TEST(RunControl, AccountingFileGetsEchoHeaderAndSummary) {
  TempTree tree;
  tree.AddFile("data/one.txt", "12345");
  tree.AddFile("data/two.txt", "123");
  std::string log = tree.Path("run.log");
  // A search path that is exactly "|" is logged in quotes; it names no directory.
  RunResult result = RunKorven({"|", "-v"}, tree.Root(), {{"ACCT", HostPath(log)}});
  EXPECT_EQ(result.status, 0) << result.err;
  result = RunKorven({HostPath(tree.Path("data")), "-v"}, tree.Root(), {{"ACCT", HostPath(log)}});
  EXPECT_EQ(result.status, 0) << result.err;
  std::string text = ReadFileText(log);
  EXPECT_NE(text.find(" \"|\" -v\n"), std::string::npos) << text;
  const std::string data = HostPath(tree.Path("data"));
  EXPECT_NE(text.find(" " + data + " -v\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  Started: "), std::string::npos) << text;
  EXPECT_NE(text.find("  1 directory, 2 files, 8 bytes: \n"), std::string::npos) << text;
  EXPECT_NE(text.find("\n\n  Finished: "), std::string::npos) << text;
  EXPECT_NE(text.find(std::string(53, '*') + "\n"), std::string::npos) << text;
  // Two runs, two closing lines: the file is appended to.
  size_t first = text.find(std::string(53, '*'));
  EXPECT_NE(text.find(std::string(53, '*'), first + 53), std::string::npos) << text;
}

TEST(RunControl, SummaryGroupsDigitsOfTheByteTotal) {
  TempTree tree;
  tree.AddFileOfSize("big.bin", 1234567);
  RunResult result = RunKorven({}, tree.Root());
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.err.find("\n  1 directory, 1 files, 1,234,567 bytes: \n  Elapsed: "), std::string::npos)
      << result.err;
}

TEST(RunControl, InterruptSignalEndsTheRunWithReasonTwoAndTheSummary) {
  TempTree tree;
  // A sparse file far too big to read before the signal arrives.
  tree.AddFile("huge.bin", "");
  ASSERT_EQ(truncate(tree.Path("huge.bin").c_str(), 200LL << 30), 0);
  RunResult result = RunKorvenInterrupted({}, tree.Root(), std::chrono::milliseconds(1500));
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.status, 2) << result.err;
  EXPECT_NE(result.err.find("\nAbnormal termination. Reason: INPUT_FILE\n\n"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find(" files, "), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("Elapsed:"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace korven::e2e
