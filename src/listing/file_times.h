// A file's times as the records print them, its age in days, and the -R reset.
#ifndef KORVEN_LISTING_FILE_TIMES_H_
#define KORVEN_LISTING_FILE_TIMES_H_

#include <string>

#include "platform/file_system.h"
#include "platform/system.h"

namespace korven {

struct Run;

// A file's three times, broken down for printing and raw for the date filter
// and the reset.
struct TimeBlock {
  CivilTime write;
  CivilTime access;
  CivilTime creation;
  FileTimes raw;
};

// Fills `block` from `times`, in UTC with `zulu`, else in local time. A time
// of the year 1601 or earlier (zero) shows as 00/00/1980 00:00, one that
// can't be converted the same way. False only when all three failed.
bool ConvertTimes(Run& run, const FileTimes& times, TimeBlock* block, bool zulu);

// Times of a file, directory or stream through an open handle; false when
// they can't be read.
bool TimesByHandle(Run& run, const std::string& path, TimeBlock* block, bool zulu);

// Days since 1900-01-01 of a calendar date (Gregorian, any year); 0 for a
// month or day out of range.
long DayNumber(int year, int month, int day);

// Calendar days between today and the file's date in local time: the access
// date for 'a', the creation date for 'c', else the last-write date. Today is
// taken from the clock at the run's first call and kept for the run.
long AgeInDays(Run& run, const FileTimes& times, int timeLetter);

// Gives `path` back its times; a read-only or system file is made writable
// for it and given its attributes back. False when the times can't be set.
bool RestoreTimes(Run& run, const std::string& path, const FileTimes& times);

}  // namespace korven

#endif  // KORVEN_LISTING_FILE_TIMES_H_
