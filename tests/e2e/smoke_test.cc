#include <gtest/gtest.h>

#include "harness.h"

namespace korven::e2e {
namespace {

TEST(Smoke, ListsTheCurrentDirectoryAndEndsNormally) {
  TempTree tree;
  tree.AddFile("a.txt", "hello\n");
  tree.AddFileOfSize("b.bin", 1000);
  tree.AddFile("c.dat", "");

  RunResult result = RunKorven({}, tree.Root());

  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err.find("Abnormal termination"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("\n  1 directory, 3 files, 1,006 bytes: "), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("Elapsed:"), std::string::npos) << result.err;
  EXPECT_NE(result.out.find(ListedName(tree.Path("a.txt"))), std::string::npos) << result.out;
}

TEST(Smoke, HelpEndsWithOptionErrorStatus) {
  TempTree tree;
  RunResult result = RunKorven({"-?"}, tree.Root());
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.status, 5) << result.err;
}

}  // namespace
}  // namespace korven::e2e
