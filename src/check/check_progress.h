// "[n/total] name" on the message stream while a check runs, when that
// stream is a terminal; erased before each result line and at the end.
#ifndef KORVEN_CHECK_CHECK_PROGRESS_H_
#define KORVEN_CHECK_CHECK_PROGRESS_H_

#include <string>

namespace korven {

struct Run;

struct CheckProgress {
  int columns = 0;  // the terminal's width; 0 shows nothing
  long total = 0;
  int shown = 0;  // characters on the line now
};

// Progress for `total` entries: nothing unless standard error is a terminal,
// -v was not given and progress is on.
CheckProgress StartCheckProgress(Run& run, long total);
// Shows entry `n` and its name, cut to the width, control characters as '?'.
void ShowCheckProgress(Run& run, CheckProgress* progress, long n, const std::string& name);
void EraseCheckProgress(Run& run, CheckProgress* progress);

}  // namespace korven

#endif  // KORVEN_CHECK_CHECK_PROGRESS_H_
