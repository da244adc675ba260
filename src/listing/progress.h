// The bare name shown on the message stream while a file is being read, and
// the eraser for it and for the walker's directory progress.
#ifndef KORVEN_LISTING_PROGRESS_H_
#define KORVEN_LISTING_PROGRESS_H_

#include <string>

namespace korven {

struct Run;

// Shows the name when the listing goes to an output file and progress is on;
// returns the characters written, 0 when nothing was shown.
int ShowProgress(Run& run, const std::string& bareName);
// Erases the last `written` characters written on the message stream, as
// ShowProgress or the walker wrote them: backspaces, blanks, backspaces.
// Nothing for 0 or less.
void EraseProgress(Run& run, int written);

}  // namespace korven

#endif  // KORVEN_LISTING_PROGRESS_H_
