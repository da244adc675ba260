#include "config/defaults.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "run/run.h"
#include "testing/fake_system.h"

namespace korven {
namespace {

TEST(TimeZoneAbbreviationTest, InitialsOrFirstThreeLetters) {
  struct Case {
    const char* name;
    const char* abbreviation;
  } cases[] = {
      {"Greenwich Standard Time", "GST"},
      {"Central European Standard Time", "CES"},
      {"Pacific Time", "PT"},
      {"UTC", "UTC"},
      {"UT", "UT"},
      {"est", "EST"},
      {"Europe", "EUR"},
      {"", "TZ0"},
  };
  for (const Case& c : cases) EXPECT_EQ(TimeZoneAbbreviation(c.name), c.abbreviation) << c.name;
}

TEST(EnvironmentDefaultsTest, ResetAndSilentHoldOnInAnyCase) {
  struct Case {
    const char* reset;
    const char* silent;
    int resetTimes;
    int quietLevel;
  } cases[] = {
      {"ON", "ON", 1, 1}, {"on", "On", 1, 1}, {"xonx", "", 1, 0},
      {"off", "OFF", 0, 0}, {"1", "yes", 0, 0}, {nullptr, nullptr, 0, 0},
  };
  for (const Case& c : cases) {
    FakeSystem sys;
    if (c.reset) sys.environment["RESET"] = c.reset;
    if (c.silent) sys.environment["SILENT"] = c.silent;
    sys.zoneName = "Eastern Standard Time";
    korven::Run run(RealFileSystem(), sys);
    ApplyEnvironmentDefaults(run);
    EXPECT_EQ(run.settings.resetTimes, c.resetTimes) << (c.reset ? c.reset : "(unset)");
    EXPECT_EQ(run.settings.quietLevel, c.quietLevel) << (c.silent ? c.silent : "(unset)");
    EXPECT_EQ(run.settings.timeKind, TimeKind::kWrite);
    EXPECT_EQ(run.startTime, sys.now);
    EXPECT_EQ(run.timeZoneAbbreviation, "EST");
  }
}

TEST(BuiltInDefaultsTest, DefaultLayoutAndDateBounds) {
  FakeSystem sys;
  sys.utcOffsetMinutes = -300;
  korven::Run run(RealFileSystem(), sys);
  ApplyBuiltInDefaults(run);
  EXPECT_EQ(run.settings.nameWidth, 35);
  EXPECT_EQ(run.settings.nameWidthGiven, 35);
  EXPECT_EQ(run.values.recordLength, 82);
  EXPECT_EQ(run.settings.crcMode, 1);
  EXPECT_EQ(run.settings.showStreams, 1);
  EXPECT_EQ(run.settings.printDateTime, 1);
  EXPECT_EQ(run.settings.timeKind, TimeKind::kWrite);
  EXPECT_EQ(run.values.nameWidthLevel, 1);
  EXPECT_EQ(run.values.newerDays, 8000);
  CivilTime t;
  ASSERT_TRUE(sys.BreakDownFileTime(run.values.newerThanTime, false, &t));
  EXPECT_EQ(t.year * 10000 + t.month * 100 + t.day, 19800101);
  EXPECT_EQ(t.hour * 3600 + t.minute * 60 + t.second, 0);
  // "Today" is 2008-03-07 09:05 at UTC-5: the upper bound closes that local day.
  ASSERT_TRUE(sys.BreakDownFileTime(run.values.olderThanTime, false, &t));
  EXPECT_EQ(t.year * 10000 + t.month * 100 + t.day, 20080307);
  EXPECT_EQ(t.hour * 3600 + t.minute * 60 + t.second, 23 * 3600 + 59 * 60 + 59);
}

}  // namespace
}  // namespace korven
