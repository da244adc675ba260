// Path conventions of the target platform, and the few rules every layer
// applies to paths: what separates components, where the name begins, the
// drive letter. Code above the platform uses these instead of testing the
// platform itself.
#ifndef KORVEN_PLATFORM_PATH_H_
#define KORVEN_PLATFORM_PATH_H_

#include <string>
#include <string_view>

namespace korven {

#ifdef _WIN32
constexpr bool kIsWin32 = true;
constexpr char kPathSeparator = '\\';
#else
constexpr bool kIsWin32 = false;
constexpr char kPathSeparator = '/';
#endif
constexpr bool kHasDriveLetters = kIsWin32;
constexpr bool kSlashStartsOption = kIsWin32;
// The option prefix shown to users: '/' where it begins an option.
constexpr char kOptionPrefix = kSlashStartsOption ? '/' : '-';

// '/' and, on Win32, '\'.
bool IsPathSeparator(char c);

// Where the name of `path` begins: behind its last separator, or behind the
// colon of a drive ("C:*.c"); 0 when it has neither.
size_t NameStart(std::string_view path);

// True for the root directory of the file system or of a drive, with or
// without a drive letter: "/" on POSIX, "C:\" or "\" on Win32.
bool IsRoot(std::string_view path);

// `path` with the separator at its end, added when missing.
std::string WithTrailingSeparator(std::string path);

// The drive of a path that begins with one: 0 for A:, 1 for B:, ...; -1
// without one, and always on a platform without drive letters.
int DriveIndex(std::string_view path);

// `path` with a lower-case drive letter made upper case; any other path as it is.
std::string WithUpperDriveLetter(std::string path);

// The root directory of the drive named by the path's first character
// ("C:\"); empty on a platform without drive letters.
std::string DriveRootOf(std::string_view path);

// What a fitted path keeps of its beginning before "...": the drive and a
// separator ("C:\") on Win32; on POSIX the root ("/") of an absolute path,
// nothing of a relative one.
std::string PathHead(std::string_view path);

// How much of `path` names where it starts and is taken as it stands: "/" on
// POSIX; on Win32 a drive with or without its separator ("C:\", "C:"), a
// share ("\\server\share\") or a lone separator. 0 for a relative path.
size_t RootLength(std::string_view path);

// `path` with "." components and doubled separators dropped and each ".."
// taking away the component before it, on the text alone. A ".." that has
// nothing before it stays; the root stays as it is.
std::string LexicallyNormal(std::string_view path);

// The path that leads from directory `from` to `to`, both normal and rooted
// (LexicallyNormal, RootLength above 0): "../src/a.c". `to` itself when the
// two begin at different roots; "." when they are the same.
std::string RelativePath(std::string_view from, std::string_view to);

// `path` made rooted against the directory `base` (itself rooted) and normal.
std::string AbsolutePath(std::string_view base, std::string_view path);

}  // namespace korven

#endif  // KORVEN_PLATFORM_PATH_H_
