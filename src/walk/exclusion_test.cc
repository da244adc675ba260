#include "walk/exclusion.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "run/run.h"
#include "testing/fake_system.h"
#include "testing/memory_file_system.h"

namespace korven {
namespace {

struct ExclusionCase {
  std::vector<std::string> patterns;
  int keepCase;
  const char* name;
  bool excluded;
};

TEST(IsExcludedTest, MatchesTheBareNameAgainstEveryPattern) {
  const ExclusionCase cases[] = {
      {{"*.TMP"}, 0, "A.TMP", true},
      {{"*.TMP"}, 0, "b.tmp", true},  // upper-cased first
      {{"*.TMP"}, 0, "A.TMP1", false},
      {{"?"}, 0, "x", true},
      {{"?"}, 0, "xy", false},
      {{"?"}, 0, "", false},
      {{"[!A]*"}, 0, "BOOK", true},
      {{"[!A]*"}, 0, "apple", false},  // "APPLE" begins with A
      {{}, 0, "ANY.TMP", false},       // an empty list excludes nothing
      {{"*.BAK", "*.TMP"}, 0, "x.tmp", true},
      {{"*.BAK", "*.TMP"}, 0, "x.txt", false},
      {{"*.tmp"}, 1, "b.tmp", true},  // both kept as typed
      {{"*.TMP"}, 1, "b.tmp", false},
      {{"*.tmp"}, 0, "b.tmp", false},  // patterns are upper-cased by the parser
      {{"[A-C]*"}, 0, "b.txt", true},    // a range typed as [a-c] is stored as [A-C]
      {{"[A-C]*"}, 0, "B.TXT", true},
      {{"[A-C]*"}, 0, "d.txt", false},
      // Ranges reaching past `Z` take the name as upper case, not folded to lower.
      {{"[+-_]"}, 0, "a", true},   // `A` lies between `+` and `_`
      {{"[A-_]"}, 0, "_", true},
      {{"[A-_]"}, 0, "b", true},
      {{"[0-Z]*"}, 0, "_x", false},  // `_` lies past `Z`
      {{"[0-Z]*"}, 0, "x_", true},
      {{"[0-Z]*"}, 1, "x_", false},  // `x` kept as typed lies past `Z`
  };
  MemoryFileSystem fs;
  FakeSystem sys;
  for (const ExclusionCase& c : cases) {
    korven::Run run(fs, sys);
    run.values.excludeTypes = c.patterns;
    run.settings.excludeKeepCase = c.keepCase;
    EXPECT_EQ(IsExcluded(run, c.name), c.excluded)
        << c.name << " keepCase " << c.keepCase << " patterns " << c.patterns.size();
  }
}

}  // namespace
}  // namespace korven
