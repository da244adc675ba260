#include "config/date_limit.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/system.h"
#include "run/terminate.h"
#include "testing/test_run.h"

namespace korven {
namespace {

// The fake clock stands at 2008-03-07 14:05 UTC.
uint64_t StartOfDay(FakeSystem& sys, int year, int month, int day) {
  CivilTime t;
  t.year = year;
  t.month = month;
  t.day = day;
  return EpochToFileTime(sys.LocalToEpoch(t));
}

TEST(DateLimitTest, DatesSetTheBoundTheDayLimitAndTheLetters) {
  struct Case {
    const char* text;
    DateBound bound;
    int year, month, day;
    int32_t days;
    const char* letters;
  } cases[] = {
      {"03-01-2008", DateBound::kNewer, 2008, 3, 1, 6, ""},
      {"3/1/2008w", DateBound::kNewer, 2008, 3, 1, 6, "w"},
      {"03\\07\\2008ac", DateBound::kOlder, 2008, 3, 7, 0, "ac"},
      {"02-29-2008CWa", DateBound::kOlder, 2008, 2, 29, 7, "cwa"},
      {"03-07-2007", DateBound::kOlder, 2007, 3, 7, 366, ""},
      {"12-31-2008", DateBound::kNewer, 2008, 12, 31, -299, ""},
  };
  for (const Case& c : cases) {
    TestRun p;
    ASSERT_EQ(SetDateLimit(p.run, c.text, c.bound), "") << c.text;
    bool newer = c.bound == DateBound::kNewer;
    const OptionValues& v = p.run.values;
    EXPECT_EQ(newer ? v.newerThanTime : v.olderThanTime, StartOfDay(p.sys, c.year, c.month, c.day))
        << c.text;
    EXPECT_EQ(newer ? v.newerDays : v.olderDays, c.days) << c.text;
    EXPECT_EQ(v.dateLetters, c.letters) << c.text;
    EXPECT_EQ(p.run.settings.dateFilterOn, 1);
    EXPECT_EQ(newer ? p.run.settings.newerThanOn : p.run.settings.olderThanOn, 1) << c.text;
  }
}

TEST(DateLimitTest, TheDayStartsInLocalTime) {
  TestRun p;
  p.sys.utcOffsetMinutes = 60;
  ASSERT_EQ(SetDateLimit(p.run, "03-07-2008", DateBound::kNewer), "");
  EXPECT_EQ(p.run.values.newerThanTime, StartOfDay(p.sys, 2008, 3, 7));
  EXPECT_EQ(p.run.values.newerThanTime + 3600 * kFileTimeTicksPerSecond,
            EpochToFileTime(1204848000));  // 2008-03-07 00:00 UTC
}

TEST(DateLimitTest, LettersOfBothBoundsAddUp) {
  TestRun p;
  ASSERT_EQ(SetDateLimit(p.run, "01-01-2008ac", DateBound::kNewer), "");
  ASSERT_EQ(SetDateLimit(p.run, "03-01-2008cw", DateBound::kOlder), "");
  EXPECT_EQ(p.run.values.dateLetters, "acw");
}

TEST(DateLimitTest, DaysLeaveTheDateBoundsAlone) {
  TestRun p;
  uint64_t newer = p.run.values.newerThanTime;
  ASSERT_EQ(SetDateLimit(p.run, "30", DateBound::kNewer), "");
  ASSERT_EQ(SetDateLimit(p.run, "2", DateBound::kOlder), "");
  EXPECT_EQ(p.run.values.newerDays, 30);
  EXPECT_EQ(p.run.values.olderDays, 2);
  EXPECT_EQ(p.run.values.newerThanTime, newer);
  EXPECT_EQ(p.run.values.dateLetters, "");
}

TEST(DateLimitTest, RefusesWhatIsNotADate) {
  const char* const texts[] = {"",          "x",         "-3",          "3-",        "1-1",
                               "00-01-2008", "01-32-2008", "02-29-2007", "01-01-1600", "01-01-08",
                               "01-01-20080", "01-01-2008x", "01-01-2008 w", "a1-01-2008", "01/01/"};
  for (const char* text : texts) {
    TestRun p;
    EXPECT_NE(SetDateLimit(p.run, text, DateBound::kNewer), "") << text;
    EXPECT_EQ(p.run.settings.dateFilterOn, 0) << text;
  }
}

}  // namespace
}  // namespace korven
