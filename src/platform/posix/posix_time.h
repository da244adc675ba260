// POSIX times (seconds and nanoseconds since 1970) and the seam's file times
// (100 ns units since 1601), both ways, nothing lost.
#ifndef KORVEN_PLATFORM_POSIX_POSIX_TIME_H_
#define KORVEN_PLATFORM_POSIX_POSIX_TIME_H_

#include <time.h>

#include <cstdint>

namespace korven {

// The file time of `seconds` and `nanoseconds` (0-999,999,999) since 1970,
// with the nanoseconds below its 100 ns unit in `subTick`; 0 for a time a
// file time can't hold (before 1601, or past 64 bits of 100 ns units).
uint64_t FileTimeOf(int64_t seconds, int64_t nanoseconds, uint8_t* subTick);

// The POSIX time of a file time and its sub-tick nanoseconds; a file time of
// 0 gives UTIME_OMIT, which leaves that time of a file as it is.
struct timespec ToTimespec(uint64_t fileTime, uint8_t subTick);

}  // namespace korven

#endif  // KORVEN_PLATFORM_POSIX_POSIX_TIME_H_
