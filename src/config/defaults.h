// Settings that come before the command line: environment, then built-in values.
#ifndef KORVEN_CONFIG_DEFAULTS_H_
#define KORVEN_CONFIG_DEFAULTS_H_

#include <string>

namespace korven {

struct Run;

// RESET and SILENT, the time kind, the start time, TZ and the zone abbreviation.
void ApplyEnvironmentDefaults(Run& run);
// Width, record length, columns, streams and the default date bounds.
void ApplyBuiltInDefaults(Run& run);
// The first letters of a zone name of several words, else its first three
// characters; upper case, at most three; "TZ0" for an empty name.
std::string TimeZoneAbbreviation(const std::string& zoneName);

}  // namespace korven

#endif  // KORVEN_CONFIG_DEFAULTS_H_
