#include "platform/path.h"

#include <gtest/gtest.h>

namespace korven {
namespace {

TEST(PathTest, PosixVocabulary) {
  if (kIsWin32) GTEST_SKIP() << "POSIX spellings";
  struct Case {
    const char* path;
    size_t nameStart;
    const char* withSeparator;
    const char* head;
  } cases[] = {
      {"", 0, "/", ""},
      {"a.txt", 0, "a.txt/", ""},
      {"/", 1, "/", "/"},
      {"/usr/lib/x.so", 9, "/usr/lib/x.so/", "/"},
      {"src/", 4, "src/", ""},
      {"c:x", 0, "c:x/", ""},  // no drive letters here
      {"a\\b", 0, "a\\b/", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NameStart(c.path), c.nameStart) << c.path;
    EXPECT_EQ(WithTrailingSeparator(c.path), c.withSeparator) << c.path;
    EXPECT_EQ(PathHead(c.path), c.head) << c.path;
    EXPECT_EQ(DriveIndex(c.path), -1) << c.path;
    EXPECT_EQ(WithUpperDriveLetter(c.path), c.path) << c.path;
    EXPECT_EQ(DriveRootOf(c.path), "") << c.path;
  }
  // The walk never reads the streams of the root itself.
  for (const char* root : {"/", "//"}) EXPECT_TRUE(IsRoot(root)) << root;
  for (const char* other : {"", "src/", "/usr/", "./"}) EXPECT_FALSE(IsRoot(other)) << other;
}

}  // namespace
}  // namespace korven
