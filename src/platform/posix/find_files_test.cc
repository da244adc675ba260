#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/posix/posix_file_system.h"
#include "platform/system.h"
#include "run/run.h"
#include "testing/temp_dir.h"
#include "testing/test_run.h"
#include "walk/walker.h"

namespace korven {
namespace {

std::vector<std::string> Names(const std::vector<FindEntry>& entries) {
  std::vector<std::string> names;
  for (const FindEntry& entry : entries) names.push_back(entry.name);
  return names;
}

// A temporary tree with every kind of object the walk may meet.
class FindFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Write("b.txt", "12345");
    Write("A.TXT", "1");
    Write("Makefile", "");
    Write(".hidden", "xy");
    Write("sub/inner.txt", "inner");
    ASSERT_EQ(mkdir((root_ + "locked").c_str(), 0), 0);
    ASSERT_EQ(chmod((root_ + "A.TXT").c_str(), 0444), 0);
    ASSERT_EQ(mkfifo((root_ + "pipe").c_str(), 0644), 0);
    ASSERT_EQ(symlink(".", (root_ + "loop").c_str()), 0);        // a directory link back to itself
    ASSERT_EQ(symlink("b.txt", (root_ + "link.txt").c_str()), 0);
    ASSERT_EQ(symlink("gone", (root_ + "dangling.txt").c_str()), 0);
    // Write time 2001-09-09 01:46:40 UTC, access time a second later.
    struct timespec times[2] = {{1000000001, 0}, {1000000000, 500}};
    ASSERT_EQ(utimensat(AT_FDCWD, (root_ + "b.txt").c_str(), times, 0), 0);
  }
  void TearDown() override { chmod((root_ + "locked").c_str(), 0755); }

  void Write(const std::string& name, const std::string& content) {
    std::filesystem::create_directories(std::filesystem::path(root_ + name).parent_path());
    dir_.Write(name, content);
  }

  TempDir dir_;
  const std::string& root_ = dir_.Path();
  PosixFileSystem fs_;
};

TEST_F(FindFilesTest, ListsDotsFirstThenByUpperCasedNameSkippingSpecialObjects) {
  std::vector<FindEntry> found;
  ASSERT_TRUE(fs_.FindFiles(root_, "*.*", FindDetail::kFull, &found));
  // No pipe, no dangling link, no link to a directory.
  std::vector<std::string> expected = {".",        "..",     ".hidden", "A.TXT", "b.txt",
                                       "link.txt", "locked", "Makefile", "sub"};
  EXPECT_EQ(Names(found), expected);
}

TEST_F(FindFilesTest, SelectsWithTheWin32WildcardRules) {
  std::vector<FindEntry> found;
  ASSERT_TRUE(fs_.FindFiles(root_, "*.TXT", FindDetail::kFull, &found));
  EXPECT_EQ(Names(found), (std::vector<std::string>{"A.TXT", "b.txt", "link.txt"}));
  ASSERT_TRUE(fs_.FindFiles(root_, "*.", FindDetail::kFull, &found));
  EXPECT_EQ(Names(found), (std::vector<std::string>{"locked", "Makefile", "sub"}));
  EXPECT_FALSE(fs_.FindFiles(root_, "*.none", FindDetail::kFull, &found));
  EXPECT_TRUE(found.empty());
}

TEST_F(FindFilesTest, StarAndStarDotStarTakeEveryEntryAndReplaceWhatWasFound) {
  std::vector<FindEntry> all;
  ASSERT_TRUE(fs_.FindFiles(root_, "*.*", FindDetail::kFull, &all));
  for (const char* pattern : {"*", "*.*"}) {
    std::vector<FindEntry> found(3);  // what a search found before is dropped
    ASSERT_TRUE(fs_.FindFiles(root_, pattern, FindDetail::kFull, &found)) << pattern;
    EXPECT_EQ(Names(found), Names(all)) << pattern;
    ASSERT_EQ(found.size(), all.size());
    for (size_t i = 0; i < found.size(); ++i) {
      EXPECT_EQ(found[i].attributes, all[i].attributes) << found[i].name;
      EXPECT_EQ(found[i].size, all[i].size) << found[i].name;
      EXPECT_EQ(found[i].times.write, all[i].times.write) << found[i].name;
    }
  }
}

TEST_F(FindFilesTest, EntriesCarryAttributesSizeAndTimes) {
  std::vector<FindEntry> found;
  ASSERT_TRUE(fs_.FindFiles(root_, "*.*", FindDetail::kFull, &found));
  auto entry = [&found](const std::string& name) {
    for (const FindEntry& e : found) {
      if (e.name == name) return e;
    }
    return FindEntry{};
  };
  EXPECT_EQ(entry("b.txt").attributes, kAttrArchive);
  EXPECT_EQ(entry("b.txt").size, 5u);
  EXPECT_EQ(entry("b.txt").times.write, EpochToFileTime(1000000000) + 5);
  EXPECT_EQ(entry("b.txt").times.access, EpochToFileTime(1000000001));
  EXPECT_EQ(entry("A.TXT").attributes, kAttrArchive | kAttrReadOnly);
  EXPECT_EQ(entry(".hidden").attributes, kAttrArchive | kAttrHidden);
  EXPECT_EQ(entry("sub").attributes, kAttrDirectory);
  EXPECT_EQ(entry("..").attributes, kAttrDirectory);
  // A link to a file is the file it points to.
  EXPECT_EQ(entry("link.txt").size, 5u);
  EXPECT_EQ(entry("link.txt").times.write, entry("b.txt").times.write);
}

TEST_F(FindFilesTest, DirectoryThatCannotBeReadIsNotFound) {
  std::vector<FindEntry> found;
  EXPECT_FALSE(fs_.FindFiles(root_ + "missing/", "*.*", FindDetail::kFull, &found));
  EXPECT_FALSE(fs_.FindFiles(root_ + "b.txt/", "*.*", FindDetail::kFull, &found));
  // Root reads any directory; anyone else can't read this one.
  EXPECT_EQ(fs_.FindFiles(root_ + "locked/", "*.*", FindDetail::kFull, &found), geteuid() == 0);
}

TEST_F(FindFilesTest, OneReadServesADirectoryWhileItIsOnTheWalkPath) {
  std::vector<FindEntry> found;
  ASSERT_TRUE(fs_.FindFiles(root_, "*.*", FindDetail::kFull, &found));
  ASSERT_TRUE(fs_.FindFiles(root_ + "sub/", "*.*", FindDetail::kFull, &found));
  Write("new.txt", "");
  Write("sub/new.txt", "");
  // Back in the parent after walking its subdirectory: still the first read.
  ASSERT_TRUE(fs_.FindFiles(root_, "*.TXT", FindDetail::kFull, &found));
  EXPECT_EQ(Names(found), (std::vector<std::string>{"A.TXT", "b.txt", "link.txt"}));
  // The subdirectory left the walk path, so it is read afresh.
  ASSERT_TRUE(fs_.FindFiles(root_ + "sub/", "*.TXT", FindDetail::kFull, &found));
  EXPECT_EQ(Names(found), (std::vector<std::string>{"inner.txt", "new.txt"}));
}

TEST_F(FindFilesTest, TypesOnlyTellFilesFromDirectoriesAndMarkLinks) {
  std::vector<FindEntry> full;
  std::vector<FindEntry> types;
  ASSERT_TRUE(fs_.FindFiles(root_, "*.*", FindDetail::kFull, &full));
  fs_.ForgetDirectories();
  ASSERT_TRUE(fs_.FindFiles(root_, "*.*", FindDetail::kTypes, &types));
  EXPECT_EQ(Names(types), Names(full));
  for (const FindEntry& entry : types) {
    const bool directory = entry.name == "." || entry.name == ".." || entry.name == "locked" || entry.name == "sub";
    EXPECT_EQ(entry.IsDirectory(), directory) << entry.name;
    EXPECT_EQ(entry.IsLink(), entry.name == "link.txt") << entry.name;
  }
  // Asked for more than was read, the directory is read again.
  ASSERT_TRUE(fs_.FindFiles(root_, "b.txt", FindDetail::kFull, &full));
  EXPECT_EQ(full[0].size, 5u);
}

TEST_F(FindFilesTest, LookUpFollowsLinksToFilesOnly) {
  FindEntry entry;
  ASSERT_TRUE(fs_.LookUp(root_ + "link.txt", &entry));
  EXPECT_EQ(entry.name, "link.txt");
  EXPECT_EQ(entry.size, 5u);
  EXPECT_TRUE(entry.IsLink());
  FindEntry target;
  ASSERT_TRUE(fs_.LookUp(root_ + "b.txt", &target));
  EXPECT_FALSE(target.IsLink());
  EXPECT_EQ(entry.id, target.id);
  ASSERT_TRUE(fs_.LookUp(root_ + "sub", &entry));
  EXPECT_TRUE(entry.IsDirectory());
  EXPECT_FALSE(fs_.LookUp(root_ + "pipe", &entry));
  EXPECT_FALSE(fs_.LookUp(root_ + "dangling.txt", &entry));
}

TEST_F(FindFilesTest, PathsLongerThanTheKernelTakesAreFoundAndOpened) {
  // 50 directories of 100 characters: a path of over 5,000, looked up and
  // read with no directory of it searched before.
  const std::string component(99, 'c');
  std::string dir = root_;
  int fd = open(root_.c_str(), O_RDONLY | O_DIRECTORY);
  for (int i = 0; i < 50; ++i) {
    ASSERT_EQ(mkdirat(fd, component.c_str(), 0755), 0);
    int next = openat(fd, component.c_str(), O_RDONLY | O_DIRECTORY);
    close(fd);
    fd = next;
    dir += component + "/";
  }
  int file = openat(fd, "deep.txt", O_WRONLY | O_CREAT, 0644);
  ASSERT_EQ(write(file, "12345", 5), 5);
  close(file);
  close(fd);
  ASSERT_GT(dir.size(), 5000u);

  FindEntry entry;
  ASSERT_TRUE(fs_.LookUp(dir + "deep.txt", &entry));
  EXPECT_EQ(entry.size, 5u);
  EXPECT_FALSE(fs_.LookUp(dir + "missing/deep.txt", &entry));
  FileHandle handle = fs_.OpenForReading(dir + "deep.txt");
  ASSERT_NE(handle, kInvalidHandle);
  char bytes[8];
  EXPECT_EQ(fs_.Read(handle, bytes, sizeof bytes), 5);
  fs_.Close(handle);
  std::vector<FindEntry> found;
  ASSERT_TRUE(fs_.FindFiles(dir, "*.TXT", FindDetail::kTypes, &found));
  EXPECT_EQ(Names(found), (std::vector<std::string>{"deep.txt"}));
}

TEST_F(FindFilesTest, RecursiveWalkEndsDespiteALinkLoop) {
  TestRun t(fs_);  // counting pass: nothing is listed
  t.run.settings.recurse = 1;
  t.run.settings.outputMode = OutputMode::kFile;
  t.run.values.searchTypes = {"*.*"};
  WalkPath(t.run, root_);
  // .hidden, A.TXT, b.txt, link.txt, Makefile and sub/inner.txt.
  EXPECT_EQ(t.run.counters.countedFiles, 6);
  EXPECT_EQ(t.run.counters.countedBytes, 2 + 1 + 5 + 5 + 0 + 5);
}

}  // namespace
}  // namespace korven
