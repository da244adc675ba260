// -P: the listing stops after each screenful when it goes to the console and
// the keyboard is the console too; elsewhere -P changes nothing.
#ifndef KORVEN_RUN_SCREEN_PAUSE_H_
#define KORVEN_RUN_SCREEN_PAUSE_H_

namespace korven {

struct Run;

// Decides once, when the listing is opened, whether and after how many
// lines the listing pauses.
void SetUpScreenPause(Run& run);

// Counts `lines` just shown; when the screen is full, asks for a key on the
// message stream. Escape (or Ctrl-C typed as a key) ends the run as aborted
// by the user; an interrupt signal while waiting ends it as an interrupt.
void CountScreenLines(Run& run, int lines);

}  // namespace korven

#endif  // KORVEN_RUN_SCREEN_PAUSE_H_
