#include "config/date_limit.h"

#include <cstdint>

#include "config/option_text.h"
#include "platform/calendar.h"
#include "platform/system.h"
#include "run/run.h"
#include "text/text.h"

namespace korven {

namespace {

constexpr int64_t kMaxDays = INT32_MAX;
constexpr int kFirstYear = 1601;  // file times start in 1601
constexpr int kLastYear = 9999;

const char kDateSeparators[] = "-/\\";

int DaysInMonth(int64_t year, int64_t month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}


struct DateText {
  CivilTime date;
  std::string letters;
};

// mm-dd-yyyy and the letters behind it; false for anything else.
bool ParseDate(const std::string& text, DateText* out) {
  size_t first = text.find_first_of(kDateSeparators);
  size_t second = first == std::string::npos ? first : text.find_first_of(kDateSeparators, first + 1);
  if (second == std::string::npos) return false;
  size_t yearEnd = text.find_first_not_of("0123456789", second + 1);
  if (yearEnd == std::string::npos) yearEnd = text.size();

  int64_t month;
  int64_t day;
  int64_t year;
  if (!ParseNumber(text.substr(0, first), 1, 12, &month) ||
      !ParseNumber(text.substr(second + 1, yearEnd - second - 1), kFirstYear, kLastYear, &year) ||
      yearEnd - second - 1 != 4 ||
      !ParseNumber(text.substr(first + 1, second - first - 1), 1, DaysInMonth(year, month), &day)) {
    return false;
  }
  out->date.year = static_cast<int>(year);
  out->date.month = static_cast<int>(month);
  out->date.day = static_cast<int>(day);
  for (size_t i = yearEnd; i < text.size(); ++i) {
    char letter = text[i];
    if (letter >= 'A' && letter <= 'Z') letter = static_cast<char>(letter - 'A' + 'a');
    if (letter != 'a' && letter != 'c' && letter != 'w') return false;
    out->letters += letter;
  }
  return true;
}

void AddLetters(std::string& letters, const std::string& more) {
  for (char letter : more) {
    if (letters.find(letter) == std::string::npos) letters += letter;
  }
}

}  // namespace

std::string SetDateLimit(Run& run, const std::string& text, DateBound bound) {
  RunSettings& s = run.settings;
  OptionValues& v = run.values;
  bool newer = bound == DateBound::kNewer;
  int32_t& dayLimit = newer ? v.newerDays : v.olderDays;

  if (text.find_first_of(kDateSeparators) == std::string::npos) {
    int64_t days;
    if (!ParseNumber(text, 0, kMaxDays, &days)) {
      return Format("\nThe age limit must be a number of days or a date mm-dd-yyyy, not \"%s\"\n",
                    text.c_str());
    }
    dayLimit = static_cast<int32_t>(days);
  } else {
    DateText parsed;
    if (!ParseDate(text, &parsed)) {
      return Format("\nThe date must be mm-dd-yyyy followed by any of a c w, not \"%s\"\n",
                    text.c_str());
    }
    CivilTime today;
    if (!run.sys.BreakDownFileTime(EpochToFileTime(run.sys.Now()), false, &today)) {
      return "\nToday's date can't be read for the date limit\n";
    }
    uint64_t dayStart = EpochToFileTime(run.sys.LocalToEpoch(parsed.date));
    (newer ? v.newerThanTime : v.olderThanTime) = dayStart;
    dayLimit = static_cast<int32_t>(DaysFromCivil(today.year, today.month, today.day) -
                                    DaysFromCivil(parsed.date.year, parsed.date.month, parsed.date.day));
    AddLetters(v.dateLetters, parsed.letters);
  }
  s.dateFilterOn = 1;
  (newer ? s.newerThanOn : s.olderThanOn) = 1;
  return "";
}

}  // namespace korven
