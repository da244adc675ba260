#include "run/accounting.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/file_system.h"
#include "run/run.h"
#include "testing/fake_system.h"

namespace korven {
namespace {

std::string ReadFile(const std::string& path) {
  std::string text;
  FILE* file = fopen(path.c_str(), "r");
  if (file == nullptr) return text;
  int c;
  while ((c = fgetc(file)) != EOF) text += static_cast<char>(c);
  fclose(file);
  return text;
}

TEST(AccountingTest, EchoQuotesOnlyALonePipe) {
  FakeSystem sys;
  korven::Run run(RealFileSystem(), sys);
  run.startTime = sys.now;
  std::string path = ::testing::TempDir() + "korven_accounting_echo.log";
  remove(path.c_str());
  ASSERT_EQ(OpenAccountingFile(run, path), AccountingOpen::kOpened);
  char a0[] = "/bin/korven", a1[] = "-r", a2[] = "|", a3[] = "a|b";
  char* argv[] = {a0, a1, a2, a3};
  EchoCommandLine(run, 4, argv);
  WriteAccountingHeader(run);
  CloseAccountingFile(run);
  EXPECT_EQ(ReadFile(path), " /bin/korven -r \"|\" a|b\n  Started: Fri Mar  7 14:05:00 2008\n");
}

TEST(AccountingTest, NewFileReplacesTheOpenOneAndSaysSo) {
  FakeSystem sys;
  korven::Run run(RealFileSystem(), sys);
  std::string first = ::testing::TempDir() + "korven_accounting_1.log";
  std::string second = ::testing::TempDir() + "korven_accounting_2.log";
  remove(first.c_str());
  remove(second.c_str());
  ASSERT_EQ(OpenAccountingFile(run, first), AccountingOpen::kOpened);
  ASSERT_EQ(OpenAccountingFile(run, second), AccountingOpen::kOpened);
  CloseAccountingFile(run);
  EXPECT_EQ(ReadFile(first),
            "This file closed.\nAccounting file overridden by option -1 file pointing to " + second + "\n");
  EXPECT_EQ(ReadFile(second), "");
}

TEST(AccountingTest, UnopenableFileIsReportedAndKeepsTheOldOne) {
  FakeSystem sys;
  korven::Run run(RealFileSystem(), sys);
  FILE* message = tmpfile();
  run.message = message;
  EXPECT_EQ(OpenAccountingFile(run, "/nonexistent-dir/x.log"), AccountingOpen::kFailed);
  EXPECT_EQ(run.accounting, nullptr);
  EXPECT_GT(ftell(message), 0);
  fclose(message);
}

// A FIFO would hold the start of the run until someone read it; a directory
// or a device is no log either. The run goes on without them.
TEST(AccountingTest, WhatIsNoRegularFileIsRefusedWithoutOpening) {
  char dir[] = "/tmp/korven-acct-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string fifo = std::string(dir) + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {fifo, std::string(dir), std::string("/dev/null")}) {
    FakeSystem sys;
    korven::Run run(RealFileSystem(), sys);
    FILE* message = tmpfile();
    run.message = message;
    EXPECT_EQ(OpenAccountingFile(run, path), AccountingOpen::kNotRegular) << path;
    EXPECT_EQ(run.accounting, nullptr) << path;
    EXPECT_GT(ftell(message), 0) << path;
    fclose(message);
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace korven
