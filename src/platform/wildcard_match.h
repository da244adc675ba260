// How the Win32 find functions select and order names, for the platforms and
// test doubles that have to do it themselves.
#ifndef KORVEN_PLATFORM_WILDCARD_MATCH_H_
#define KORVEN_PLATFORM_WILDCARD_MATCH_H_

#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace korven {

// True when `name` matches the wildcard `pattern` under the Win32 rules:
// ASCII letters compare without case, `*` matches any run, `?` one character,
// a `.` followed only by `*` also matches the end of the name (so "*.*"
// matches every name) and a pattern ending in `.` matches names without one.
bool WildcardMatch(std::string_view pattern, std::string_view name);

// True for "*" and "*.*", which WildcardMatch matches with every name a
// directory holds (any name but the empty one), so a search may take all its
// names without matching each; false for other patterns.
bool MatchesEveryName(std::string_view pattern);

// The order of a directory search: "." and ".." first, then by upper-cased
// name in byte order.
bool FindOrderLess(std::string_view a, std::string_view b);

// Puts `entries` in that order, moving each entry once.
void SortInFindOrder(std::vector<FindEntry>* entries);

}  // namespace korven

#endif  // KORVEN_PLATFORM_WILDCARD_MATCH_H_
