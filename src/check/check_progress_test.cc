#include "check/check_progress.h"

#include <gtest/gtest.h>

#include "testing/test_run.h"

namespace korven {
namespace {

TEST(CheckProgress, CutToTheTerminalAndErased) {
  TestRun t;
  t.sys.terminalColumns = 20;
  CheckProgress progress = StartCheckProgress(t.run, 12);
  ShowCheckProgress(t.run, &progress, 3, "SUB/A\nVERY/LONG/NAME.TXT");
  ShowCheckProgress(t.run, &progress, 4, "B");
  EraseCheckProgress(t.run, &progress);
  EraseCheckProgress(t.run, &progress);
  const std::string first = "[3/12] SUB/A?VERY/LO";
  EXPECT_EQ(t.Messages(), first.substr(0, 19) + "\r" + std::string(19, ' ') + "\r" + "[4/12] B" + "\r" +
                              std::string(8, ' ') + "\r");
}

TEST(CheckProgress, NothingWithoutATerminalOrWithQuiet) {
  for (bool quiet : {false, true}) {
    TestRun t;
    t.sys.terminalColumns = quiet ? 80 : 0;
    t.run.settings.quietLevel = quiet ? 1 : 0;
    CheckProgress progress = StartCheckProgress(t.run, 2);
    ShowCheckProgress(t.run, &progress, 1, "A");
    EraseCheckProgress(t.run, &progress);
    EXPECT_EQ(t.Messages(), "") << quiet;
  }
}

}  // namespace
}  // namespace korven
