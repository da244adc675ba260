#include "run/accounting.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "run/run.h"
#include "testing/test_run.h"

namespace korven {
namespace {

TEST(AccountingTest, EchoQuotesOnlyALonePipe) {
  TestRun t;
  TempDir dir;
  const std::string path = dir.Path() + "echo.log";
  ASSERT_EQ(OpenAccountingFile(t.run, path), AccountingOpen::kOpened);
  char a0[] = "/bin/korven", a1[] = "-r", a2[] = "|", a3[] = "a|b";
  char* argv[] = {a0, a1, a2, a3};
  EchoCommandLine(t.run, 4, argv);
  WriteAccountingHeader(t.run);
  CloseAccountingFile(t.run);
  EXPECT_EQ(ReadFileText(path), " /bin/korven -r \"|\" a|b\n  Started: Fri Mar  7 09:05:00 2008\n");
}

TEST(AccountingTest, NewFileReplacesTheOpenOneAndSaysSo) {
  TestRun t;
  TempDir dir;
  const std::string first = dir.Path() + "1.log";
  const std::string second = dir.Path() + "2.log";
  ASSERT_EQ(OpenAccountingFile(t.run, first), AccountingOpen::kOpened);
  ASSERT_EQ(OpenAccountingFile(t.run, second), AccountingOpen::kOpened);
  CloseAccountingFile(t.run);
  EXPECT_EQ(ReadFileText(first),
            "This file closed.\nAccounting file overridden by option -1 file pointing to " + second + "\n");
  EXPECT_EQ(ReadFileText(second), "");
}

TEST(AccountingTest, UnopenableFileIsReportedAndKeepsTheOldOne) {
  TestRun t;
  EXPECT_EQ(OpenAccountingFile(t.run, "/nonexistent-dir/x.log"), AccountingOpen::kFailed);
  EXPECT_EQ(t.run.accounting, nullptr);
  EXPECT_NE(t.Messages(), "");
}

// A FIFO would hold the start of the run until someone read it; a directory
// or a device is no log either. The run goes on without them.
TEST(AccountingTest, WhatIsNoRegularFileIsRefusedWithoutOpening) {
  TempDir dir;
  const std::string fifo = dir.Path() + "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {fifo, dir.Path(), std::string("/dev/null")}) {
    TestRun t;
    EXPECT_EQ(OpenAccountingFile(t.run, path), AccountingOpen::kNotRegular) << path;
    EXPECT_EQ(t.run.accounting, nullptr) << path;
    EXPECT_NE(t.Messages(), "") << path;
  }
}

}  // namespace
}  // namespace korven
