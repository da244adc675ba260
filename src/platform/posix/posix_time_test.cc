#include "platform/posix/posix_time.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/system.h"

namespace korven {
namespace {

constexpr int64_t kOffset = static_cast<int64_t>(kFileTimeEpochOffsetSeconds);

TEST(PosixTimeTest, FileTimesKeepEveryNanosecondOrAreZeroOutOfRange) {
  struct Case {
    int64_t seconds;
    int64_t nanoseconds;
    uint64_t fileTime;  // 0: out of range
    uint8_t subTick;
  } cases[] = {
      {0, 0, EpochToFileTime(0), 0},
      {1, 123456789, EpochToFileTime(1) + 1234567, 89},
      {-1, 999999999, EpochToFileTime(-1) + 9999999, 99},
      {1000000000000, 5, EpochToFileTime(1000000000000), 5},  // shown as 00/00/1980, kept for -R
      {-kOffset - 1, 0, 0, 0},                                 // before 1601
      {2000000000000, 0, 0, 0},                                // past 64 bits of 100 ns
      {INT64_MAX, 0, 0, 0},
      {INT64_MIN, 0, 0, 0},
  };
  for (const Case& c : cases) {
    uint8_t subTick = 255;
    EXPECT_EQ(FileTimeOf(c.seconds, c.nanoseconds, &subTick), c.fileTime) << c.seconds;
    EXPECT_EQ(subTick, c.subTick) << c.seconds;
    if (c.fileTime == 0) continue;
    struct timespec back = ToTimespec(c.fileTime, subTick);
    EXPECT_EQ(back.tv_sec, c.seconds);
    EXPECT_EQ(back.tv_nsec, c.nanoseconds);
  }
}

TEST(PosixTimeTest, ZeroLeavesTheFileTimeAsItIs) {
  EXPECT_EQ(ToTimespec(0, 0).tv_nsec, UTIME_OMIT);
}

TEST(PosixTimeTest, TimesPastTheYear30828AreNotBrokenDown) {
  CivilTime t;
  EXPECT_TRUE(RealSystem().BreakDownFileTime(kLastShownFileTime, true, &t));
  EXPECT_EQ(t.year, 30828);
  EXPECT_FALSE(RealSystem().BreakDownFileTime(kLastShownFileTime + 1, true, &t));
  EXPECT_FALSE(RealSystem().BreakDownFileTime(UINT64_MAX, false, &t));
}

// Times broken down are kept for the next records, never across a change
// of zone, and the local and UTC forms of one time are kept apart.
TEST(PosixTimeTest, TimeBrokenDownAgainAfterTheZoneChanges) {
  const char* before = getenv("TZ");
  const std::string saved = before != nullptr ? before : "";
  const uint64_t noon = EpochToFileTime(1625140800);  // 07/01/2021 12:00 UTC
  const struct {
    const char* zone;
    bool utc;
    int hour;
  } cases[] = {{"UTC0", false, 12}, {"EST5EDT", false, 8}, {"EST5EDT", true, 12}, {"JST-9", false, 21}};
  for (const auto& c : cases) {
    setenv("TZ", c.zone, 1);
    RealSystem().LoadTimeZone();
    CivilTime t;
    ASSERT_TRUE(RealSystem().BreakDownFileTime(noon, c.utc, &t));
    EXPECT_EQ(t.hour, c.hour) << c.zone << (c.utc ? " utc" : "");
  }
  if (before != nullptr) {
    setenv("TZ", saved.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  RealSystem().LoadTimeZone();
}

}  // namespace
}  // namespace korven
