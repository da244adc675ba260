#include "platform/posix/posix_time.h"

#include <sys/stat.h>

#include "platform/system.h"

namespace korven {

namespace {

constexpr int64_t kNanosecondsPerTick = 100;
constexpr int64_t kEpochOffsetSeconds = static_cast<int64_t>(kFileTimeEpochOffsetSeconds);
// Seconds since 1601 of the last whole second a file time holds.
constexpr uint64_t kLastWholeSecond = UINT64_MAX / kFileTimeTicksPerSecond - 1;

}  // namespace

uint64_t FileTimeOf(int64_t seconds, int64_t nanoseconds, uint8_t* subTick) {
  *subTick = 0;
  // Compared before any addition or multiplication could overflow.
  if (seconds < -kEpochOffsetSeconds || seconds > static_cast<int64_t>(kLastWholeSecond) - kEpochOffsetSeconds ||
      nanoseconds < 0 || nanoseconds >= 1000000000) {
    return 0;
  }
  const uint64_t since1601 = static_cast<uint64_t>(seconds + kEpochOffsetSeconds);
  *subTick = static_cast<uint8_t>(nanoseconds % kNanosecondsPerTick);
  return since1601 * kFileTimeTicksPerSecond + static_cast<uint64_t>(nanoseconds / kNanosecondsPerTick);
}

struct timespec ToTimespec(uint64_t fileTime, uint8_t subTick) {
  struct timespec ts = {};
  if (fileTime == 0) {
    ts.tv_nsec = UTIME_OMIT;
    return ts;
  }
  const int64_t since1601 = static_cast<int64_t>(fileTime / kFileTimeTicksPerSecond);
  ts.tv_sec = static_cast<time_t>(since1601 - kEpochOffsetSeconds);
  ts.tv_nsec = static_cast<long>(static_cast<int64_t>(fileTime % kFileTimeTicksPerSecond) * kNanosecondsPerTick +
                                 subTick % kNanosecondsPerTick);
  return ts;
}

}  // namespace korven
