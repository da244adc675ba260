#include "listing/name_fitting.h"

#include <gtest/gtest.h>

#include "platform/path.h"

namespace korven {
namespace {

struct FitCase {
  const char* path;
  int width;
  const char* standard;
  const char* tail;
};

// POSIX spellings; the Win32 form differs only in its prefix and separator.
const FitCase kCases[] = {
    // Exactly the width: unchanged by both forms.
    {"/abc/def/name.txt", 17, "/abc/def/name.txt", "/abc/def/name.txt"},
    // Width 7 never shortens the standard form; 10 or less never the tail form.
    {"/abc/def/ghi/name.txt", 7, "/abc/def/ghi/name.txt", "/abc/def/ghi/name.txt"},
    {"/abc/def/ghi/name.txt", 10, "/.../name.txt", "/abc/def/ghi/name.txt"},
    // Absolute: "/..." and the path from the leftmost separator in its last 16 characters.
    {"/aaaa/bbbb/cccc/dddd/name.txt", 20, "/.../dddd/name.txt", "/aaaa/bb.../name.txt"},
    // Relative: "..." and the last 12 characters from a separator.
    {"aaa/bbb/ccc/ddd/f.txt", 15, ".../ddd/f.txt", "aaa/bb.../f.txt"},
    // No separator among the last characters: from the last one, longer than the width.
    {"/dir/averyveryverylongname.txt", 12, "/.../averyveryverylongname.txt", "...gname.txt"},
    // No separator at all: the tail form keeps the end of the name.
    {"abcdefghijklmnopqrstuvwxyz.txt", 16, "...abcdefghijklmnopqrstuvwxyz.txt", "...rstuvwxyz.txt"},
};

TEST(NameFitting, StandardAndTailForms) {
  if (kIsWin32) GTEST_SKIP() << "POSIX spellings";
  for (const FitCase& c : kCases) {
    EXPECT_EQ(FitStandard(c.path, c.width), c.standard) << c.path << " at " << c.width;
    EXPECT_EQ(FitTail(c.path, c.width), c.tail) << c.path << " at " << c.width;
  }
}

TEST(NameFitting, FittedStandardFormIsNeverWiderThanTheWidthWhenATailSeparatorExists) {
  const std::string path = "/one/two/three/four/five/six/seven/eight/nine/ten.txt";
  for (int width = 12; width < static_cast<int>(path.size()); ++width) {
    const std::string fitted = FitStandard(path, width);
    EXPECT_LE(static_cast<int>(fitted.size()), width) << fitted;
    EXPECT_EQ(fitted.substr(fitted.size() - 8), "/ten.txt") << fitted;
  }
}

TEST(NameFitting, TailFormOfASixtyCharacterPathAtWidthThirtyEndsWithTheName) {
  const std::string path = "/projects/korven/build/output/listing/records/final_list.txt";
  ASSERT_EQ(path.size(), 60u);
  const std::string fitted = FitTail(path, 30);
  EXPECT_EQ(fitted.size(), 30u);
  EXPECT_EQ(fitted, "/projects/ko.../final_list.txt");
}

TEST(NameFitting, TailFormIsExactlyTheWidthWhateverTheNameLength) {
  const std::string dir = "/d/";
  for (int nameLength = 1; nameLength < 60; ++nameLength) {
    const std::string path = dir + std::string(static_cast<size_t>(nameLength), 'n');
    for (int width = 11; width < static_cast<int>(path.size()); ++width) {
      const std::string fitted = FitTail(path, width);
      EXPECT_EQ(static_cast<int>(fitted.size()), width) << path;
      EXPECT_EQ(fitted.back(), 'n');
    }
  }
}

}  // namespace
}  // namespace korven
