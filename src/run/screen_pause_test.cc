#include "run/screen_pause.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "run/terminate.h"
#include "testing/test_run.h"

namespace korven {
namespace {

// Pauses come after each screenful less the prompt's line, and only with -P
// on a console that shows the listing; Escape at the prompt ends the run.
TEST(ScreenPauseTest, PausesAfterEachScreenfulOnlyOnTheConsole) {
  struct Case {
    const char* name;
    int pauseOn;
    bool listingIsFile;
    int consoleRows;
    std::deque<int> keys;
    int prompts;
    int status;  // -1: the run goes on
  } cases[] = {
      {"two screens", 1, false, 5, {' ', 'x'}, 2, -1},
      {"Escape", 1, false, 5, {27}, 1, kUserAborted},
      {"not -P", 0, false, 5, {}, 0, -1},
      {"listing to a file", 1, true, 5, {}, 0, -1},
      {"no console", 1, false, 0, {}, 0, -1},
  };
  const std::string prompt = "-- more: any key goes on, Escape ends the run --";
  for (const Case& c : cases) {
    TestRun t;
    t.sys.consoleRows = c.consoleRows;
    t.sys.keys = c.keys;
    t.run.settings.pauseOn = c.pauseOn;
    t.run.listingIsFile = c.listingIsFile;
    SetUpScreenPause(t.run);
    t.run.listingIsFile = false;  // the test closes its listing itself
    int status = -1;
    try {
      for (int line = 0; line < 9; ++line) CountScreenLines(t.run, 1);
    } catch (const RunEnded& ended) {
      status = ended.status;
    }
    EXPECT_EQ(status, c.status) << c.name;
    const std::string text = t.Messages();
    int prompts = 0;
    for (size_t at = text.find(prompt); at != std::string::npos; at = text.find(prompt, at + 1)) ++prompts;
    EXPECT_EQ(prompts, c.prompts) << c.name;
  }
}

}  // namespace
}  // namespace korven
