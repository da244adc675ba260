// Conversions between the seam's 64-bit file times and FILETIME.
#ifndef KORVEN_PLATFORM_WIN32_FILE_TIME_H_
#define KORVEN_PLATFORM_WIN32_FILE_TIME_H_

#include <windows.h>

#include <cstdint>

namespace korven {

inline uint64_t FromFileTime(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

inline FILETIME ToFileTime(uint64_t time) {
  FILETIME result;
  result.dwLowDateTime = static_cast<DWORD>(time & 0xFFFFFFFFu);
  result.dwHighDateTime = static_cast<DWORD>(time >> 32);
  return result;
}

}  // namespace korven

#endif  // KORVEN_PLATFORM_WIN32_FILE_TIME_H_
