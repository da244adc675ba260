// Path conventions of the target platform.
#ifndef KORVEN_PLATFORM_PATH_H_
#define KORVEN_PLATFORM_PATH_H_

namespace korven {

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
constexpr bool kHasDriveLetters = true;
constexpr bool kSlashStartsOption = true;
constexpr bool kIsWin32 = true;
#else
constexpr char kPathSeparator = '/';
constexpr bool kHasDriveLetters = false;
constexpr bool kSlashStartsOption = false;
constexpr bool kIsWin32 = false;
#endif

}  // namespace korven

#endif  // KORVEN_PLATFORM_PATH_H_
