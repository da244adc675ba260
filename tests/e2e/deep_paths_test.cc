// Paths longer than the kernel takes in one call, trees deeper than the
// descriptors a walk keeps, and directories too long for their buffers.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "harness.h"

namespace korven::e2e {
namespace {

constexpr size_t kLongestPath = 10399;

// The summary's count of directories and files, as the message stream shows it.
std::string Counts(long directories, long files) {
  return "  " + std::to_string(directories) + " directories, " + std::to_string(files) + " files, ";
}

TEST(DeepPaths, TreeThreeThousandDirectoriesDeepIsListedWhole) {
  if (UnderWine()) GTEST_SKIP() << "Win32 long paths are not this build's";
  TempTree tree;
  std::vector<std::string> dirs;
  for (int depth = 1; depth <= 3000; ++depth) {
    dirs.push_back("d");
    if (depth % 500 == 0) tree.AddDeepFile(dirs, "f", "x");
  }
  RunResult result = RunKorven({"-r"}, tree.Root());
  EXPECT_EQ(result.status, 0) << result.err.substr(0, 300);
  EXPECT_NE(result.err.find(Counts(3000, 6)), std::string::npos) << result.err.substr(result.err.size() - 200);
}

TEST(DeepPaths, EveryFileUpToTheLongestPathIsListedAndALongerOneNamed) {
  if (UnderWine()) GTEST_SKIP() << "Win32 long paths are not this build's";
  TempTree tree;
  const std::string component(99, 'c');  // 100 characters with its '/'
  std::vector<std::string> dirs;
  long files = 0;
  while (tree.Root().size() + 1 + (dirs.size() + 1) * 100 < 10000) {
    dirs.push_back(component);
    if (dirs.size() % 20 == 0) {
      tree.AddDeepFile(dirs, "f.txt", "123456789");
      ++files;
    }
  }
  // The deepest file's path is 10,000 characters; one of 10,400, three
  // directories further down, is skipped.
  const size_t prefix = tree.Root().size() + 1 + dirs.size() * 100;
  tree.AddDeepFile(dirs, std::string(10000 - prefix, 'n'), "123456789");
  ++files;
  std::vector<std::string> further = dirs;
  further.insert(further.end(), 3, component);
  tree.AddDeepFile(further, std::string(kLongestPath + 1 - prefix - 300, 'x'), "123456789");
  RunResult result = RunKorven({"-r", "-N"}, tree.Root());
  EXPECT_EQ(result.status, 0) << result.err.substr(0, 300);
  EXPECT_NE(result.err.find(Counts(static_cast<long>(further.size()), files)), std::string::npos)
      << result.err.substr(result.err.size() - 200);
  EXPECT_NE(result.err.find("Path longer than 10399 characters skipped: " + tree.Root().substr(0, 60)),
            std::string::npos);

  RunResult whole = RunKorven({"-r", "-w", "0", "-v"}, tree.Root());
  // With the widest name field (2600), the deepest record keeps its name and CRC-32.
  // Not "/" + a temporary string: GCC 12 at -O3 takes that for an overlapping copy (-Wrestrict).
  const std::string deepestName(10000 - prefix, 'N');
  const size_t deepest = whole.out.find("/" + deepestName + " ");
  ASSERT_NE(deepest, std::string::npos) << whole.out.substr(0, 300);
  EXPECT_NE(whole.out.substr(deepest, whole.out.find('\n', deepest) - deepest).find(" CBF43926 "), std::string::npos);
}

TEST(DeepPaths, CurrentDirectoryTooLongIsRefusedNotCut) {
  if (UnderWine()) GTEST_SKIP() << "Win32 long paths are not this build's";
  TempTree tree;
  std::string relative;
  while (tree.Root().size() + relative.size() <= 2700) relative += std::string(99, 'c') + "/";
  tree.AddFile(relative + "a.txt", "123456789");
  tree.AddFile("outside.txt", "must not be listed");
  const std::string cwd = tree.Path(relative);
  RunResult refused = RunKorven({}, cwd);
  EXPECT_EQ(refused.status, 12);
  EXPECT_NE(refused.err.find("The current directory is longer than 2600 characters"), std::string::npos)
      << refused.err;
  EXPECT_EQ(refused.out.find("CBF43926"), std::string::npos);
  // Named as a search path, it is listed.
  RunResult listed = RunKorven({cwd, "-v", "-w", "0"}, cwd);
  EXPECT_EQ(listed.status, 0);
  EXPECT_NE(listed.out.find("/A.TXT "), std::string::npos) << listed.out;
}

TEST(DeepPaths, ProgramPathTooLongIsRefusedNotCut) {
  if (UnderWine()) GTEST_SKIP() << "Win32 long paths are not this build's";
  TempTree tree;
  const std::string dir = std::string(250, 'p');
  tree.AddDirectory(dir);
  tree.AddFile("a.txt", "123456789");
  RunResult refused = RunKorvenCopiedTo(tree.Path(dir + "/korven"), {"-v"}, tree.Root());
  EXPECT_EQ(refused.status, 12);
  EXPECT_NE(refused.err.find("The program's path is longer than 260 characters"), std::string::npos) << refused.err;
  EXPECT_EQ(refused.out.find("CBF43926"), std::string::npos);
}

}  // namespace
}  // namespace korven::e2e
