#include "config/defaults.h"

#include "platform/system.h"
#include "run/run.h"
#include "text/text.h"

namespace korven {

namespace {

// The variable holds "ON" anywhere, in any case.
bool EnvironmentSaysOn(Run& run, const char* name) {
  std::optional<std::string> value = run.sys.GetEnv(name);
  return value && UpperAscii(*value).find("ON") != std::string::npos;
}

}  // namespace

std::string TimeZoneAbbreviation(const std::string& zoneName) {
  if (zoneName.empty()) return "TZ0";
  std::string letters;
  if (zoneName.find(' ') != std::string::npos) {
    letters += zoneName[0];
    for (size_t i = 0; i + 1 < zoneName.size(); ++i) {
      if (zoneName[i] == ' ' && zoneName[i + 1] != ' ') letters += zoneName[i + 1];
    }
  } else {
    letters = zoneName.substr(0, 3);
  }
  return UpperAscii(letters.substr(0, 3));
}

void ApplyEnvironmentDefaults(Run& run) {
  run.settings.timeKind = TimeKind::kWrite;
  if (EnvironmentSaysOn(run, "RESET")) run.settings.resetTimes = 1;
  if (EnvironmentSaysOn(run, "SILENT")) run.settings.quietLevel = 1;
  run.startTime = run.sys.Now();
  run.sys.LoadTimeZone();
  run.timeZoneAbbreviation = TimeZoneAbbreviation(run.sys.StandardTimeZoneName());
}

// Only what differs from the starting values of Run, RunSettings and
// OptionValues (a delimiter of ' ', 8000 days, fitting level 1, ...) is set here.
void ApplyBuiltInDefaults(Run& run) {
  RunSettings& s = run.settings;
  s.nameWidth = 35;
  s.nameWidthGiven = 35;
  s.crcMode = 1;
  s.showStreams = 1;
  s.printDateTime = 1;
  s.timeKind = TimeKind::kWrite;

  OptionValues& v = run.values;
  v.recordLength = s.nameWidth + 47;

  CivilTime start;
  start.year = 1980;
  start.month = 1;
  start.day = 1;
  v.newerThanTime = EpochToFileTime(run.sys.LocalToEpoch(start));

  CivilTime today;
  if (run.sys.BreakDownFileTime(EpochToFileTime(run.sys.Now()), false, &today)) {
    today.hour = 23;
    today.minute = 59;
    today.second = 59;
    today.milliseconds = 0;
    v.olderThanTime = EpochToFileTime(run.sys.LocalToEpoch(today));
  }
}

}  // namespace korven
