#include "run/screen_pause.h"

#include <cstdio>
#include <cstring>

#include "platform/system.h"
#include "run/run.h"
#include "run/terminate.h"

namespace korven {

namespace {

constexpr char kPrompt[] = "-- more: any key goes on, Escape ends the run --";
constexpr int kEscape = 27;
constexpr int kCtrlC = 3;

void PauseForKey(Run& run) {
  fflush(run.listing);
  fputs(kPrompt, run.message);
  fflush(run.message);
  const int key = run.sys.ReadKey();
  // The prompt is wiped so that the listing goes on where it stood.
  fprintf(run.message, "\r%*s\r", static_cast<int>(strlen(kPrompt)), "");
  fflush(run.message);
  if (key == kEscape || key == kCtrlC) Terminate(run, kUserAborted);
  if (key < 0) {
    CheckInterrupt(run);
    // The keyboard is gone (end of input): the rest is listed without pauses.
    run.screenLines = 0;
  }
}

}  // namespace

void SetUpScreenPause(Run& run) {
  run.linesOnScreen = 0;
  run.screenLines = 0;
  if (!run.settings.pauseOn || run.listingIsFile) return;
  // One line of the screen is kept for the prompt.
  run.screenLines = run.sys.ConsoleRows() - 1;
}

void CountScreenLines(Run& run, int lines) {
  if (run.screenLines <= 0) return;
  run.linesOnScreen += lines;
  if (run.linesOnScreen < run.screenLines) return;
  run.linesOnScreen = 0;
  PauseForKey(run);
}

}  // namespace korven
