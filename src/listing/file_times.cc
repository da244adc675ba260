#include "listing/file_times.h"

#include "platform/calendar.h"
#include "run/run.h"

namespace korven {

namespace {

// One time broken down; a zero time (year 1601, or 1600 west of UTC in local
// time) and one that can't be converted show as 00/00/1980 00:00.
bool ConvertOne(Run& run, uint64_t fileTime, bool zulu, CivilTime* out) {
  CivilTime t;
  bool converted = run.sys.BreakDownFileTime(fileTime, zulu, &t);
  if (!converted || t.year <= 1601) {
    *out = CivilTime{};
    out->year = 1980;
    return converted;
  }
  if (t.hour > 24) t.hour = t.minute = t.second = 0;
  *out = t;
  return true;
}


}  // namespace

bool ConvertTimes(Run& run, const FileTimes& times, TimeBlock* block, bool zulu) {
  block->raw = times;
  bool write = ConvertOne(run, times.write, zulu, &block->write);
  bool access = ConvertOne(run, times.access, zulu, &block->access);
  bool creation = ConvertOne(run, times.creation, zulu, &block->creation);
  return write || access || creation;
}

bool TimesByHandle(Run& run, const std::string& path, TimeBlock* block, bool zulu) {
  FileTimes times;
  if (!run.fs.TimesByHandle(path, &times)) return false;
  ConvertTimes(run, times, block, zulu);
  return true;
}

long DayNumber(int year, int month, int day) {
  if (month < 1 || month > 12 || day < 1 || day > 31) return 0;
  return static_cast<long>(DaysFromCivil(year, month, day) - DaysFromCivil(1900, 1, 1) + 1);
}

long AgeInDays(Run& run, const FileTimes& times, int timeLetter) {
  if (!run.todayDayNumber) {
    CivilTime today;
    run.sys.BreakDownFileTime(EpochToFileTime(run.sys.Now()), false, &today);
    run.todayDayNumber = DayNumber(today.year, today.month, today.day);
  }
  uint64_t fileTime = times.write;
  if (timeLetter == 'a' || timeLetter == 'A') fileTime = times.access;
  if (timeLetter == 'c' || timeLetter == 'C') fileTime = times.creation;
  CivilTime date;
  ConvertOne(run, fileTime, false, &date);
  return *run.todayDayNumber - DayNumber(date.year, date.month, date.day);
}

bool RestoreTimes(Run& run, const std::string& path, const FileTimes& times) {
  // Most files take their times at once (on POSIX the owner may set them on
  // a read-only file): only a refusal costs the attribute round trip.
  if (run.fs.SetTimes(path, times)) return true;
  constexpr uint32_t kProtected = kAttrReadOnly | kAttrSystem;
  uint32_t attributes = 0;
  if (!run.fs.GetAttributes(path, &attributes) || (attributes & kProtected) == 0) return false;
  run.fs.SetAttributes(path, attributes & ~kProtected);
  const bool restored = run.fs.SetTimes(path, times);
  run.fs.SetAttributes(path, attributes);
  return restored;
}

}  // namespace korven
