#include "run/screen_pause.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <string>

#include "platform/file_system.h"
#include "run/run.h"
#include "run/terminate.h"
#include "testing/fake_system.h"

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
  for (const Case& c : cases) {
    FakeSystem sys;
    sys.consoleRows = c.consoleRows;
    sys.keys = c.keys;
    korven::Run run(RealFileSystem(), sys);
    run.message = tmpfile();
    run.settings.pauseOn = c.pauseOn;
    run.listingIsFile = c.listingIsFile;
    SetUpScreenPause(run);
    run.listingIsFile = false;  // the listing is standard output: nothing may close it
    int status = -1;
    try {
      for (int line = 0; line < 9; ++line) CountScreenLines(run, 1);
    } catch (const RunEnded& ended) {
      status = ended.status;
    }
    EXPECT_EQ(status, c.status) << c.name;
    rewind(run.message);
    std::string text;
    for (int ch; (ch = fgetc(run.message)) != EOF;) text += static_cast<char>(ch);
    const std::string prompt = "-- more: any key goes on, Escape ends the run --";
    int prompts = 0;
    for (size_t at = text.find(prompt); at != std::string::npos; at = text.find(prompt, at + 1)) ++prompts;
    EXPECT_EQ(prompts, c.prompts) << c.name;
    fclose(run.message);
  }
}

}  // namespace
}  // namespace korven
