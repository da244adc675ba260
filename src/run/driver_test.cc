#include "run/driver.h"

#include <gtest/gtest.h>

#include "platform/path.h"

namespace korven {
namespace {

TEST(NormaliseSearchPathTest, AddsSeparatorAndUpperCasesOnlyADriveLetter) {
  const std::string sep(1, kPathSeparator);
  struct Case {
    std::string in;
    std::string out;
  } cases[] = {
      {"docs", "docs" + sep},
      {"docs" + sep, "docs" + sep},
      {"c:" + sep + "work", std::string(kHasDriveLetters ? "C" : "c") + ":" + sep + "work" + sep},
      {sep, sep},
  };
  for (Case& c : cases) {
    std::string path = c.in;
    NormaliseSearchPath(path);
    EXPECT_EQ(path, c.out) << c.in;
  }
}

}  // namespace
}  // namespace korven
