#include "walk/pattern_match.h"

#include <fnmatch.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "text/text.h"

namespace korven {
namespace {

static_assert(kMatchPathname == FNM_PATHNAME && kMatchNoEscape == FNM_NOESCAPE &&
              kMatchPeriod == FNM_PERIOD && kMatchLeadingDir == FNM_LEADING_DIR &&
              kMatchCaseFold == FNM_CASEFOLD);

struct MatchCase {
  const char* pattern;
  const char* text;
  int flags;
  int result;
};

TEST(PatternMatchTest, FollowsTheFnmatchRules) {
  const MatchCase cases[] = {
      {"*.TMP", "A.TMP", 0, 0},
      {"*.TMP", "A.TMP1", 0, 1},
      {"*", "", 0, 0},
      {"***", "abc", 0, 0},
      {"?", "", 0, 1},
      {"?", "ab", 0, 1},
      {"a?c", "abc", 0, 0},
      {"[abc]", "b", 0, 0},
      {"[abc]", "d", 0, 1},
      {"[!abc]", "d", 0, 0},
      {"[^abc]", "a", 0, 1},
      {"[a-c]x", "bx", 0, 0},
      {"[a-c]x", "dx", 0, 1},
      {"[]]", "]", 0, 0},      // `]` first belongs to the set
      {"[!]]", "a", 0, 0},
      {"[!]]", "]", 0, 1},
      {"[a-]", "-", 0, 0},
      {"[[:digit:]]*", "7up", 0, 0},
      {"[[:digit:]]*", "up", 0, 1},
      {"[abc", "a", 0, 1},     // a set that is not closed matches nothing
      {"[abc", "[abc", 0, 1},
      {"x[", "x[", 0, 1},
      {"\\*", "*", 0, 0},
      {"\\*", "a", 0, 1},
      {"\\", "\\", 0, 1},      // a trailing backslash escapes nothing
      {"\\a", "\\a", kMatchNoEscape, 0},
      {"A.TMP", "a.tmp", 0, 1},
      {"A.TMP", "a.tmp", kMatchCaseFold, 0},
      {"a*", "a/b", 0, 0},
      {"a*", "a/b", kMatchPathname, 1},
      {"a/*", "a/b", kMatchPathname, 0},
      {"a?b", "a/b", kMatchPathname, 1},
      {"a[/]b", "a/b", kMatchPathname, 1},
      {"*", ".profile", kMatchPeriod, 1},
      {".*", ".profile", kMatchPeriod, 0},
      {"a/*", "a/.x", kMatchPathname | kMatchPeriod, 1},
      {"a/*", "a/.x", kMatchPeriod, 0},  // only the very start without FNM_PATHNAME
      {"a", "a/b/c", kMatchLeadingDir, 0},
      {"a", "ab/c", kMatchLeadingDir, 1},
      {"a/b", "a/b/c", kMatchPathname | kMatchLeadingDir, 0},
  };
  for (const MatchCase& c : cases) {
    EXPECT_EQ(PatternMatch(c.pattern, c.text, c.flags), c.result)
        << "pattern " << c.pattern << " text " << c.text << " flags " << c.flags;
  }
}

TEST(PatternMatchTest, ManyStarsTakeLinearTime) {
  std::string text(10000, 'a');
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(PatternMatch("*a*a*a*a*a*b", text, 0), 1);
  EXPECT_EQ(PatternMatch("*a*a*a*a*a*a*a*a*a*a*a*a*b", text, kMatchPathname), 1);
  EXPECT_EQ(PatternMatch("*a*a*a*a*a*a", text, kMatchCaseFold), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

// Pieces that always close their own sets, so a pattern built from them has
// no unclosed set: there the C library takes `[` literally, where this
// program's matcher follows its own rule and matches nothing.
const char* const kPatternPieces[] = {
    "a", "A", "b", ".", "/", "-", "]", "*", "**", "?", "\\a", "\\*", "\\\\", "\\]", "\\.",
    "[ab]", "[!a]", "[^.]", "[]a]", "[!]]", "[a-c]", "[A-Z]", "[B-a]", "[[:alpha:]]",
    "[[:upper:]]", "[[:punct:]]", "[/]", "[!/]", "[.]", "[\\]]", "[a-]", "[-a]", "[*?]",
};
const char kTextCharacters[] = {'a', 'A', 'b', 'B', '.', '/', '\\', '-', ']', '*', 'z'};

// Calls `check(pattern, text)` on `rounds` random patterns from the pieces
// above, each with six random texts, the same ones for the same seed.
template <typename Check>
void ForRandomCorpus(uint32_t seed, int rounds, Check check) {
  std::mt19937 random(seed);
  auto pick = [&random](size_t count) { return std::uniform_int_distribution<size_t>(0, count - 1)(random); };
  for (int round = 0; round < rounds; ++round) {
    std::string pattern;
    size_t pieces = pick(6);
    for (size_t i = 0; i < pieces; ++i) pattern += kPatternPieces[pick(std::size(kPatternPieces))];
    for (int t = 0; t < 6; ++t) {
      std::string text;
      size_t length = pick(7);
      for (size_t i = 0; i < length; ++i) text += kTextCharacters[pick(sizeof kTextCharacters)];
      check(pattern, text);
    }
  }
}

TEST(PatternMatchTest, AgreesWithTheCLibraryForEveryFlagCombination) {
  int compared = 0;
  int differences = 0;
  ForRandomCorpus(20240611, 4000, [&](const std::string& pattern, const std::string& text) {
    for (int flags = 0; flags < 32; ++flags) {
      int expected = fnmatch(pattern.c_str(), text.c_str(), flags) == 0 ? 0 : 1;
      ++compared;
      if (PatternMatch(pattern, text, flags) != expected && ++differences <= 20) {
        ADD_FAILURE() << "pattern \"" << pattern << "\" text \"" << text << "\" flags " << flags
                      << ": C library says " << expected;
      }
    }
  });
  EXPECT_EQ(differences, 0) << "of " << compared;
}

TEST(PatternMatchTest, UpperTextMatchesAsAnUpperCasedText) {
  const MatchCase cases[] = {
      {"*.TMP", "a.tmp", kMatchUpperText, 0},
      {"*.tmp", "a.tmp", kMatchUpperText, 1},  // the pattern is taken as it is
      {"[A-C]", "b", kMatchUpperText, 0},
      {"[A-_]", "b", kMatchUpperText, 0},
      {"[A-_]", "b", kMatchCaseFold, 1},      // folded to lower case, the range is empty
      {"[0-Z]", "_", kMatchUpperText, 1},
      {"[0-Z]", "_", kMatchCaseFold, 0},      // folded to lower case, it reaches `z`
      {"[[:upper:]]", "q", kMatchUpperText, 0},
      {"[!a]", "a", kMatchUpperText, 0},      // the text reads `A`
      {"\\Q", "q", kMatchUpperText, 0},       // an escaped letter too
  };
  for (const MatchCase& c : cases) {
    EXPECT_EQ(PatternMatch(c.pattern, c.text, c.flags), c.result)
        << "pattern " << c.pattern << " text " << c.text << " flags " << c.flags;
  }

  int differences = 0;
  ForRandomCorpus(20240612, 2000, [&](const std::string& pattern, const std::string& text) {
    for (int flags = 0; flags < 32; ++flags) {
      int expected = PatternMatch(pattern, UpperAscii(text), flags);
      if (PatternMatch(pattern, text, flags | kMatchUpperText) != expected && ++differences <= 20) {
        ADD_FAILURE() << "pattern \"" << pattern << "\" text \"" << text << "\" flags " << flags
                      << ": upper-cased text gives " << expected;
      }
    }
  });
  EXPECT_EQ(differences, 0);
}

// Exclusion patterns are upper-cased to match upper-cased names; a class
// name only means something as written.
TEST(UpperCasePatternTest, KeepsClassNamesAsWritten) {
  struct Case {
    const char* pattern;
    const char* upper;
  } cases[] = {
      {"*.tmp", "*.TMP"},
      {"[[:digit:]]*", "[[:digit:]]*"},
      {"[!a-c[:alpha:]x]y", "[!A-C[:alpha:]X]Y"},
      {"[:abc:]", "[:ABC:]"},              // a set of : a b c, no class
      {"[\\[:x:]]", "[\\[:X:]]"},          // an escaped [ begins no class
      {"\\[[:alpha:]]", "\\[[:ALPHA:]]"},  // after an escaped [, a set of : a l p h
      {"[[:alpha:]", "[[:ALPHA:]"},        // a set never closed matches nothing anyway
  };
  for (const Case& c : cases) EXPECT_EQ(UpperCasePattern(c.pattern), c.upper) << c.pattern;
}

}  // namespace
}  // namespace korven
