// The age and date limits of -l (newer than) and -g (older than).
#ifndef KORVEN_CONFIG_DATE_LIMIT_H_
#define KORVEN_CONFIG_DATE_LIMIT_H_

#include <string>

namespace korven {

struct Run;

enum class DateBound { kNewer, kOlder };

// A number of days, or a date mm-dd-yyyy (separators -, / or \) followed by
// any of the letters a, c, w. A date sets the bound to the start of that
// local day, the day limit to the date's age in days, and adds its letters to
// the date test. Returns "" when taken, else the message refusing it.
std::string SetDateLimit(Run& run, const std::string& text, DateBound bound);

}  // namespace korven

#endif  // KORVEN_CONFIG_DATE_LIMIT_H_
