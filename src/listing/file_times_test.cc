#include "listing/file_times.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "testing/test_run.h"
#include "testing/memory_file_system.h"

namespace korven {
namespace {

std::string Show(const CivilTime& t) {
  char text[64];
  snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d:%02d", t.month, t.day, t.year, t.hour,
           t.minute, t.second);
  return text;
}

uint64_t FileTimeOf(int year, int month, int day, int hour, int minute, int second) {
  return EpochToFileTime(UtcSeconds(year, month, day, hour, minute, second));
}

TEST(FileTimes, ConvertsEachTimeInLocalTimeOrUtc) {
  TestRun t;  // local time is UTC - 5 hours
  FileTimes raw;
  raw.write = FileTimeOf(2008, 3, 7, 3, 30, 15);
  raw.access = FileTimeOf(2008, 3, 7, 4, 0, 0);
  raw.creation = FileTimeOf(2001, 1, 1, 12, 0, 1);
  TimeBlock local;
  EXPECT_TRUE(ConvertTimes(t.run, raw, &local, false));
  EXPECT_EQ(Show(local.write), "03/06/2008 22:30:15");
  EXPECT_EQ(Show(local.access), "03/06/2008 23:00:00");
  EXPECT_EQ(Show(local.creation), "01/01/2001 07:00:01");
  TimeBlock zulu;
  ConvertTimes(t.run, raw, &zulu, true);
  EXPECT_EQ(Show(zulu.write), "03/07/2008 03:30:15");
  EXPECT_EQ(zulu.raw.write, raw.write);
  EXPECT_EQ(zulu.raw.creation, raw.creation);
}

TEST(FileTimes, ZeroTimeShowsAsTheFirstOf1980InEveryZone) {
  TestRun t;
  for (bool zulu : {false, true}) {
    for (int offset : {-300, 0, 120}) {
      t.sys.utcOffsetMinutes = offset;
      TimeBlock block;
      ConvertTimes(t.run, FileTimes{}, &block, zulu);
      EXPECT_EQ(Show(block.write), "00/00/1980 00:00:00") << offset;
      EXPECT_EQ(Show(block.creation), "00/00/1980 00:00:00") << offset;
    }
  }
}

TEST(FileTimes, ZeroTimeWithTheMachinesZoneWestOfUtc) {
  setenv("TZ", "EST5EDT", 1);
  RealSystem().LoadTimeZone();
  korven::Run run(RealFileSystem(), RealSystem());
  TimeBlock block;
  ConvertTimes(run, FileTimes{}, &block, false);
  EXPECT_EQ(Show(block.access), "00/00/1980 00:00:00");
  FileTimes summer;
  summer.write = FileTimeOf(2021, 7, 1, 12, 0, 0);
  ConvertTimes(run, summer, &block, false);
  EXPECT_EQ(Show(block.write), "07/01/2021 08:00:00");  // daylight time
}

TEST(FileTimes, DayNumbersCountGregorianDaysFrom1900) {
  struct Case {
    int year, month, day;
    long expected;
  };
  const Case cases[] = {
      {1900, 1, 1, 1},        {1900, 12, 31, 365},  // 1900 is no leap year
      {1901, 1, 1, 366},      {1904, 3, 1, 1521},   // 1904 is
      {2000, 3, 1, 36585},    {2100, 1, 1, 73050},  // beyond the old table
      {1980, 13, 1, 0},       {1980, 1, 32, 0},     {1980, 0, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DayNumber(c.year, c.month, c.day), c.expected) << c.year << "-" << c.month << "-" << c.day;
  }
  EXPECT_EQ(DayNumber(2024, 3, 1) - DayNumber(2024, 2, 28), 2);
  EXPECT_EQ(DayNumber(2023, 3, 1) - DayNumber(2023, 2, 28), 1);
}

TEST(FileTimes, AgeCountsCalendarDaysInLocalTime) {
  TestRun t;
  t.sys.now = UtcSeconds(2009, 1, 1, 17, 0, 0);  // 12:00 local on 01/01
  FileTimes times;
  times.write = FileTimeOf(2009, 1, 1, 4, 59, 0);   // 23:59 local on 12/31
  times.access = FileTimeOf(2009, 1, 1, 5, 0, 0);   // 00:00 local on 01/01
  times.creation = FileTimeOf(2008, 12, 29, 5, 0, 0);
  EXPECT_EQ(AgeInDays(t.run, times, 'w'), 1);
  EXPECT_EQ(AgeInDays(t.run, times, '3'), 1);
  EXPECT_EQ(AgeInDays(t.run, times, 'a'), 0);
  EXPECT_EQ(AgeInDays(t.run, times, 'A'), 0);
  EXPECT_EQ(AgeInDays(t.run, times, 'c'), 3);
}

TEST(FileTimes, AgeReadsTheClockOnceForTheRun) {
  TestRun t;
  t.sys.now = UtcSeconds(2009, 1, 1, 17, 0, 0);  // 12:00 local on 01/01
  FileTimes times;
  times.write = FileTimeOf(2008, 12, 29, 5, 0, 0);  // 00:00 local on 12/29
  const int callsBefore = t.sys.nowCalls;
  EXPECT_EQ(AgeInDays(t.run, times, 'w'), 3);
  EXPECT_EQ(AgeInDays(t.run, times, 'w'), 3);
  EXPECT_EQ(t.sys.nowCalls - callsBefore, 1);
  // A clock past midnight later in the run leaves today as it was.
  t.sys.now = UtcSeconds(2009, 1, 2, 17, 0, 0);
  EXPECT_EQ(AgeInDays(t.run, times, 'w'), 3);
  EXPECT_EQ(t.sys.nowCalls - callsBefore, 1);
  // A new run takes today afresh.
  korven::Run next(RealFileSystem(), t.sys);
  EXPECT_EQ(AgeInDays(next, times, 'w'), 4);
}

struct stat StatOf(const std::string& path) {
  struct stat st;
  EXPECT_EQ(stat(path.c_str(), &st), 0);
  return st;
}

void SetPosixTimes(const std::string& path, time_t access, time_t write) {
  struct timespec both[2] = {{access, 0}, {write, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), both, 0), 0);
}

TEST(FileTimes, RestoreGivesBackAccessAndWriteTimesAndKeepsReadOnly) {
  for (const bool readOnly : {false, true}) {
    TestRun t;
    TempDir dir;
    const std::string path = dir.Write("a.txt", "abc");
    FileTimes original;
    original.access = EpochToFileTime(1000000000);
    original.write = EpochToFileTime(900000000);
    if (readOnly) {
      ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    }
    SetPosixTimes(path, 1600000000, 1600000000);

    EXPECT_TRUE(RestoreTimes(t.run, path, original));

    struct stat st = StatOf(path);
    EXPECT_EQ(st.st_atime, 1000000000);
    EXPECT_EQ(st.st_mtime, 900000000);
    if (readOnly) {
      EXPECT_EQ(st.st_mode & 0777, 0444u);
    } else {
      EXPECT_NE(st.st_mode & S_IWUSR, 0u);
    }
  }
}

// A file system that, like Win32, refuses new times to a read-only or
// system file until its attributes allow writing.
class GuardedTimes : public MemoryFileSystem {
 public:
  int attributeChanges = 0;
  bool SetTimes(const std::string& path, const FileTimes& times) override {
    uint32_t attributes = 0;
    if (GetAttributes(path, &attributes) && (attributes & (kAttrReadOnly | kAttrSystem)) != 0) return false;
    return MemoryFileSystem::SetTimes(path, times);
  }
  bool SetAttributes(const std::string& path, uint32_t attributes) override {
    ++attributeChanges;
    return MemoryFileSystem::SetAttributes(path, attributes);
  }
};

TEST(FileTimes, RestoreUnprotectsOnlyAFileThatRefusesItsTimes) {
  struct Case {
    uint32_t attributes;
    int attributeChanges;
  };
  for (const Case& c : {Case{kAttrArchive, 0}, Case{kAttrArchive | kAttrReadOnly, 2},
                        Case{kAttrArchive | kAttrSystem | kAttrHidden, 2}}) {
    GuardedTimes fs;
    fs.AddFile("a.txt", "abc");
    fs.SetAttributes("a.txt", c.attributes);
    fs.attributeChanges = 0;
    FakeSystem sys;
    korven::Run run(fs, sys);
    FileTimes original;
    original.access = 111;
    original.write = 222;

    EXPECT_TRUE(RestoreTimes(run, "a.txt", original)) << c.attributes;

    FindEntry entry;
    ASSERT_TRUE(fs.LookUp("a.txt", &entry));
    EXPECT_EQ(entry.times.access, 111u);
    EXPECT_EQ(entry.times.write, 222u);
    EXPECT_EQ(entry.attributes, c.attributes);
    EXPECT_EQ(fs.attributeChanges, c.attributeChanges);
  }
}

TEST(FileTimes, RestoreOfAVanishedFileFails) {
  TestRun t;
  TempDir dir;
  EXPECT_FALSE(RestoreTimes(t.run, dir.Path() + "gone.txt", FileTimes{}));
}

}  // namespace
}  // namespace korven
