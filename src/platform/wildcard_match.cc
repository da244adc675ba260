#include "platform/wildcard_match.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <numeric>
#include <utility>

#include "text/text.h"

namespace korven {

namespace {

// Upper-cased as a byte from 0 to 255, so that names order as unsigned bytes.
unsigned char UpperByte(char c) { return static_cast<unsigned char>(UpperAscii(c)); }

// What is left of a pattern matches the end of a name when it is only stars,
// or a dot followed only by stars.
bool MatchesEnd(std::string_view rest) {
  if (!rest.empty() && rest.front() == '.') rest.remove_prefix(1);
  return rest.find_first_not_of('*') == std::string_view::npos;
}

// Greedy stars with one point to come back to: each `*` only needs to retry
// from the latest one, so the time stays linear-ish in the name.
bool MatchRuns(std::string_view pattern, std::string_view name) {
  size_t p = 0;
  size_t n = 0;
  size_t starP = std::string_view::npos;
  size_t starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = ++p;
      starN = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || UpperAscii(pattern[p]) == UpperAscii(name[n]))) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP;
      n = ++starN;
    } else {
      return false;
    }
  }
  return MatchesEnd(pattern.substr(p));
}

int DotRank(std::string_view name) {
  if (name == ".") return 0;
  if (name == "..") return 1;
  return 2;
}

int CompareUpper(std::string_view a, std::string_view b) {
  size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    int diff = UpperByte(a[i]) - UpperByte(b[i]);
    if (diff != 0) return diff;
  }
  return static_cast<int>(a.size() > b.size()) - static_cast<int>(a.size() < b.size());
}

// A number that orders names as FindOrderLess does wherever two names'
// numbers differ: "." and ".." are 0 and 1, any other name its first eight
// bytes upper-cased, from the first down (no name holds a zero byte, so a
// shorter name's padding orders it first).
uint64_t FindOrderPrefix(std::string_view name) {
  const int rank = DotRank(name);
  if (rank < 2) return static_cast<uint64_t>(rank);
  uint64_t prefix = 0;
  for (size_t i = 0; i < 8; ++i) prefix = (prefix << 8) | (i < name.size() ? UpperByte(name[i]) : 0);
  return prefix;
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  if (pattern.size() > 1 && pattern.back() == '.') {
    // "NAME." asks for names without an extension.
    return name.find('.') == std::string_view::npos &&
           MatchRuns(pattern.substr(0, pattern.size() - 1), name);
  }
  return MatchRuns(pattern, name);
}

bool MatchesEveryName(std::string_view pattern) { return pattern == "*" || pattern == "*.*"; }

bool FindOrderLess(std::string_view a, std::string_view b) {
  int rankA = DotRank(a);
  int rankB = DotRank(b);
  if (rankA != rankB) return rankA < rankB;
  int upper = CompareUpper(a, b);
  // Names that differ only in case keep a fixed order: their own bytes.
  return upper != 0 ? upper < 0 : a < b;
}

void SortInFindOrder(std::vector<FindEntry>* entries) {
  // The order is found on numbers and indexes, where most names differ in
  // their first eight bytes, and the entries are moved into it after.
  struct Keyed {
    uint64_t prefix;
    size_t index;
  };
  std::vector<FindEntry>& e = *entries;
  std::vector<Keyed> order(e.size());
  for (size_t i = 0; i < e.size(); ++i) order[i] = {FindOrderPrefix(e[i].name), i};
  std::sort(order.begin(), order.end(), [&e](const Keyed& a, const Keyed& b) {
    return a.prefix != b.prefix ? a.prefix < b.prefix : FindOrderLess(e[a.index].name, e[b.index].name);
  });
  // Each cycle of the permutation in turn: the entry that belongs at `at`
  // is at order[at].index.
  for (size_t start = 0; start < e.size(); ++start) {
    if (order[start].index == start) continue;
    FindEntry first = std::move(e[start]);
    size_t at = start;
    while (order[at].index != start) {
      const size_t from = order[at].index;
      e[at] = std::move(e[from]);
      order[at].index = at;
      at = from;
    }
    e[at] = std::move(first);
    order[at].index = at;
  }
}

}  // namespace korven
