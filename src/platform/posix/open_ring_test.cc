#include "platform/posix/open_ring.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdint>

namespace korven {
namespace {

// The rings' descriptors (33 each: 16 opened, 16 waiting to close, the
// ring's own) take half the process's limit at most.
TEST(OpenRingTest, RingsLeaveHalfTheDescriptorsToTheRest) {
  struct Case {
    uint64_t rings;
    uint64_t limit;
    bool room;
  };
  for (const Case& c : {Case{1, 66, true}, Case{1, 65, false}, Case{15, 1024, true}, Case{16, 1024, false},
                        Case{64, 4224, true}, Case{65, 4224, false}, Case{1000, RLIM_INFINITY, true}}) {
    EXPECT_EQ(OpenRing::RoomFor(c.rings, c.limit), c.room) << c.rings << " rings, limit " << c.limit;
  }
}

TEST(OpenRingTest, NoRingWhereTheProcessMayOpenFewFiles) {
  rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  rlimit few = saved;
  few.rlim_cur = 64;
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &few), 0);
  const bool made = OpenRing::Make() != nullptr;
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
  EXPECT_FALSE(made);
}

}  // namespace
}  // namespace korven
