#include "platform/wildcard_match.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace korven {
namespace {

struct WildcardCase {
  const char* pattern;
  const char* name;
  bool matches;
};

TEST(WildcardMatchTest, FollowsTheWin32Rules) {
  const WildcardCase cases[] = {
      {"*.*", "README.TXT", true},
      {"*.*", "Makefile", true},  // no dot, still every name
      {"*.*", ".", true},
      {"*.*", "..", true},
      {"*.*", ".profile", true},
      {"*", "a.b.c", true},
      {"*.TXT", "notes.txt", true},  // case-insensitive
      {"*.txt", "NOTES.TXT", true},
      {"*.TXT", "NOTES.TXT1", false},
      {"*.TXT", "TXT", false},
      {"*.TXT", ".", false},
      {"A?C", "abc", true},
      {"A?C", "AC", false},
      {"A?C", "ABBC", false},
      {"?", "x", true},
      {"?", "xy", false},
      {"*B*", "abc", true},
      {"*B*", "ac", false},
      {"A.*", "A", true},  // the dot may meet the end of the name
      {"A.*", "A.B", true},
      {"A.*", "AB", false},
      {"*.", "Makefile", true},  // a trailing dot asks for no extension
      {"*.", "a.txt", false},
      {"M*.", "Makefile", true},
      {"M*.", "Other", false},
      {"EXACT", "exact", true},
      {"EXACT", "exactly", false},
      {"", "a", false},
  };
  for (const WildcardCase& c : cases) {
    EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.matches)
        << "pattern " << c.pattern << " name " << c.name;
  }
}

TEST(WildcardMatchTest, PatternsThatMatchEveryNameAreKnown) {
  // Every name a directory may hold; not the empty one, which "*.*" does not match.
  const char* const names[] = {".", "..", ".profile", "Makefile", "a.b.c", "x.", "*", "?.?", "A"};
  for (const char* pattern : {"*", "*.*"}) {
    EXPECT_TRUE(MatchesEveryName(pattern)) << pattern;
    for (const char* name : names) {
      EXPECT_TRUE(WildcardMatch(pattern, name)) << "pattern " << pattern << " name " << name;
    }
  }
  for (const char* pattern : {"", ".", "*.", "?", "*.TXT", "*.*.", "*.?", "A*"}) {
    EXPECT_FALSE(MatchesEveryName(pattern)) << pattern;
  }
}

TEST(WildcardMatchTest, ManyStarsStayFast) {
  std::string name(10000, 'a');
  EXPECT_FALSE(WildcardMatch("*a*a*a*a*a*a*a*a*b", name));
  EXPECT_TRUE(WildcardMatch("*a*a*a*a*a*a*a*a*", name));
}

TEST(WildcardMatchTest, FindOrderPutsDotsFirstThenUpperCasedBytes) {
  std::vector<std::string> names = {"b", "_x", "..", "A", "a", "B.TXT", ".", "Zed", "[1]"};
  std::sort(names.begin(), names.end(),
            [](const std::string& x, const std::string& y) { return FindOrderLess(x, y); });
  // '[' (0x5B) and '_' (0x5F) sort after the upper-case letters.
  std::vector<std::string> expected = {".", "..", "A", "a", "b", "B.TXT", "Zed", "[1]", "_x"};
  EXPECT_EQ(names, expected);
}

TEST(WildcardMatchTest, FindOrderTakesBytesAboveAsciiAsUnsignedAndKeepsTheirCase) {
  EXPECT_TRUE(FindOrderLess("z", "\xe4"));
  EXPECT_FALSE(FindOrderLess("\xe4", "z"));
  EXPECT_TRUE(FindOrderLess("\xc4", "\xe4"));
  EXPECT_FALSE(WildcardMatch("\xc4", "\xe4"));
}

// Sorting whole entries agrees with FindOrderLess, and every entry keeps its
// own fields: names that differ only after eight bytes, only in case, or in
// bytes above ASCII, prefixes of one another and the dot entries, in many
// starting orders.
TEST(WildcardMatchTest, SortInFindOrderMovesEachEntryWithItsName) {
  std::vector<std::string> names = {".",        "..",        "a",          "A",          "ab",
                                    "AB",       "abc",       "longname",   "LONGNAME_b", "longname_A",
                                    "longnamf", "longnam",   "\xe4" "bcdefgh1", "\xc4" "bcdefgh2", "z",
                                    "_x",       "[1]",       "file00.dat", "FILE00.DAT.bak", "file0"};
  std::vector<std::string> expected = names;
  std::sort(expected.begin(), expected.end(),
            [](const std::string& x, const std::string& y) { return FindOrderLess(x, y); });
  std::mt19937 random(7);
  for (int round = 0; round < 50; ++round) {
    std::shuffle(names.begin(), names.end(), random);
    std::vector<FindEntry> entries;
    for (const std::string& name : names) {
      FindEntry entry;
      entry.name = name;
      entry.size = name.size() * 1000 + static_cast<uint8_t>(name.back());
      entries.push_back(entry);
    }
    SortInFindOrder(&entries);
    ASSERT_EQ(entries.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      ASSERT_EQ(entries[i].name, expected[i]) << "round " << round << " at " << i;
      ASSERT_EQ(entries[i].size, expected[i].size() * 1000 + static_cast<uint8_t>(expected[i].back()));
    }
  }
}

}  // namespace
}  // namespace korven
