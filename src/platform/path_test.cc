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

TEST(PathTest, PosixPathsMadeNormalRootedAndRelative) {
  if (kIsWin32) GTEST_SKIP() << "POSIX spellings";
  struct Normal {
    const char* path;
    size_t rootLength;
    const char* normal;
  } normals[] = {
      {"", 0, "."},
      {"./a/./b/", 0, "a/b"},
      {"a//b/../c", 0, "a/c"},
      {"../../a", 0, "../../a"},
      {"a/../..", 0, ".."},
      {"/", 1, "/"},
      {"/../x/", 1, "/x"},
  };
  for (const Normal& c : normals) {
    EXPECT_EQ(RootLength(c.path), c.rootLength) << c.path;
    EXPECT_EQ(LexicallyNormal(c.path), c.normal) << c.path;
  }
  struct Relative {
    const char* from;
    const char* to;
    const char* relative;
  } relatives[] = {
      {"/home/me", "/home/me/src/a.c", "src/a.c"},
      {"/home/me/out", "/home/me/src/a.c", "../src/a.c"},
      {"/", "/etc/x", "etc/x"},
      {"/a/b", "/a/b", "."},
      {"/a/b/c", "/x", "../../../x"},
  };
  for (const Relative& c : relatives) EXPECT_EQ(RelativePath(c.from, c.to), c.relative) << c.from << " " << c.to;
  EXPECT_EQ(AbsolutePath("/home/me", "./src/../a.txt"), "/home/me/a.txt");
  EXPECT_EQ(AbsolutePath("/home/me", "/etc//x"), "/etc/x");
}

}  // namespace
}  // namespace korven
