// The program's own pattern matcher, with the rules and flag bits of POSIX fnmatch
// and one flag of its own.
#ifndef KORVEN_WALK_PATTERN_MATCH_H_
#define KORVEN_WALK_PATTERN_MATCH_H_

#include <string>
#include <string_view>

namespace korven {

constexpr int kMatchPathname = 0x1;    // `/` only matched by `/`
constexpr int kMatchNoEscape = 0x2;    // `\` is an ordinary character
constexpr int kMatchPeriod = 0x4;      // a leading `.` only matched by `.`
constexpr int kMatchLeadingDir = 0x8;  // the pattern may stop at a `/` of the text
constexpr int kMatchCaseFold = 0x10;   // ASCII letters compare without case
// The program's own flag, clear of the fnmatch bits: the text is matched as if
// its ASCII letters were upper case, the pattern as it is. Unlike
// kMatchCaseFold, which folds both to lower case, a range that spans the
// characters between `Z` and `a`, such as [A-_], keeps the meaning it has for
// an upper-cased text.
constexpr int kMatchUpperText = 0x100;

// 0 when `text` matches `pattern`, 1 when it does not.
int PatternMatch(std::string_view pattern, std::string_view text, int flags);

// The pattern for a text matched in upper case: its ASCII letters
// upper-cased, the names of character classes ([:digit:]) kept as written.
std::string UpperCasePattern(std::string_view pattern);

}  // namespace korven

#endif  // KORVEN_WALK_PATTERN_MATCH_H_
