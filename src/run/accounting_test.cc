#include "run/accounting.h"

#include <gtest/gtest.h>

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
  ASSERT_TRUE(OpenAccountingFile(t.run, path));
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
  ASSERT_TRUE(OpenAccountingFile(t.run, first));
  ASSERT_TRUE(OpenAccountingFile(t.run, second));
  CloseAccountingFile(t.run);
  EXPECT_EQ(ReadFileText(first),
            "This file closed.\nAccounting file overridden by option -1 file pointing to " + second + "\n");
  EXPECT_EQ(ReadFileText(second), "");
}

TEST(AccountingTest, UnopenableFileIsReportedAndKeepsTheOldOne) {
  TestRun t;
  EXPECT_FALSE(OpenAccountingFile(t.run, "/nonexistent-dir/x.log"));
  EXPECT_EQ(t.run.accounting, nullptr);
  EXPECT_NE(t.Messages(), "");
}

}  // namespace
}  // namespace korven
