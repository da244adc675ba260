#include "run/accounting.h"

#include <gtest/gtest.h>

#include <cstdio>
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
  ASSERT_TRUE(OpenAccountingFile(run, path));
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
  ASSERT_TRUE(OpenAccountingFile(run, first));
  ASSERT_TRUE(OpenAccountingFile(run, second));
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
  EXPECT_FALSE(OpenAccountingFile(run, "/nonexistent-dir/x.log"));
  EXPECT_EQ(run.accounting, nullptr);
  EXPECT_GT(ftell(message), 0);
  fclose(message);
}

}  // namespace
}  // namespace korven
