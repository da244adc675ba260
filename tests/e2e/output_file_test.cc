// The listing output file: -o, -a/-O, failures, name templates and sorting.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "harness.h"

namespace korven::e2e {
namespace {

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST(OutputFile, HoldsTheRecordsAndTheSummary) {
  TempTree tree;
  tree.AddFile("data/a.txt", "hello");
  std::string output = tree.Path("out.txt");
  RunResult result = RunKorven({HostPath(tree.Path("data")), "-o", HostPath(output)}, tree.Root());
  EXPECT_EQ(result.status, 0) << result.err;
  std::string text = ReadFileText(output);
  EXPECT_NE(text.find(ListedName(tree.Path("data/a.txt"))), std::string::npos) << text;
  EXPECT_NE(text.find("\n  1 directory, 1 files, 5 bytes: \n  Elapsed: "), std::string::npos)
      << text;
  EXPECT_EQ(result.out.find(ListedName(tree.Path("data/a.txt"))), std::string::npos)
      << result.out;
}

TEST(OutputFile, IsReplacedUnlessAppendedTo) {
  TempTree tree;
  tree.AddFile("data/a.txt", "hello");
  std::string output = tree.Path("out.txt");
  std::vector<std::string> args = {HostPath(tree.Path("data")), "-o", HostPath(output)};
  const std::vector<std::vector<std::string>> extraOptions = {{}, {}, {"-a"}};
  for (const std::vector<std::string>& extra : extraOptions) {
    std::vector<std::string> runArgs = args;
    runArgs.insert(runArgs.end(), extra.begin(), extra.end());
    EXPECT_EQ(RunKorven(runArgs, tree.Root()).status, 0);
  }
  RunResult upperO = RunKorven({HostPath(tree.Path("data")), "-O", HostPath(output)}, tree.Root());
  EXPECT_EQ(upperO.status, 0) << upperO.err;
  // The second run replaced the first; -a and -O each added one listing.
  EXPECT_EQ(Count(ReadFileText(output), "Elapsed:"), 3u);
}

TEST(OutputFile, AppendWithoutOutputFileIsAnOptionError) {
  TempTree tree;
  RunResult result = RunKorven({"-a"}, tree.Root());
  EXPECT_EQ(result.status, 5) << result.err;
  EXPECT_NE(result.out.find("\n\tNeed output file name if -a is chosen\n"), std::string::npos)
      << result.out;
}

TEST(OutputFile, UncreatableFileEndsWithStatusThreeWithoutSummary) {
  TempTree tree;
  std::string output = HostPath(tree.Path("missing/out.txt"));
  RunResult result = RunKorven({"-o", output}, tree.Root());
  EXPECT_EQ(result.status, 3) << result.err;
  EXPECT_NE(result.err.find("\ncan't create output file " + output + "\nFILE: "), std::string::npos)
      << result.err;
  EXPECT_EQ(result.err.find("Elapsed:"), std::string::npos) << result.err;
}

// The names of the files in the tree's root.
std::vector<std::string> RootNames(const TempTree& tree) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(tree.Root())) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

TEST(OutputFileTemplate, ComputerNameIsPutIn) {
  TempTree tree;
  tree.AddFile("data/a.txt", "hello");
  RunResult result = RunKorven(
      {HostPath(tree.Path("data")), "-o", HostPath(tree.Path("out-COMPUTERNAME.txt"))},
      tree.Root());
  EXPECT_EQ(result.status, 0) << result.err;
  std::vector<std::string> names = RootNames(tree);
  ASSERT_EQ(names.size(), 2u);  // data and the listing
  std::string listing = names[0] == "data" ? names[1] : names[0];
  EXPECT_EQ(listing.rfind("out-", 0), 0u) << listing;
  EXPECT_EQ(listing.find("COMPUTERNAME"), std::string::npos) << listing;
  EXPECT_GT(listing.size(), std::string("out-.txt").size()) << listing;
}

std::string GmtName(time_t when) {
  char name[32];
  strftime(name, sizeof name, "%Y%m%d.LOG", gmtime(&when));
  return name;
}

TEST(OutputFileTemplate, UppercaseGInTheExtensionGivesTheGmtDate) {
  TempTree tree;
  tree.AddFile("data/a.txt", "hello");
  time_t before = time(nullptr);
  RunResult result = RunKorven(
      {HostPath(tree.Path("data")), "-o", HostPath(tree.Path("YYYYMMDD.LOG"))}, tree.Root());
  time_t after = time(nullptr);
  EXPECT_EQ(result.status, 0) << result.err;
  bool found = std::filesystem::exists(tree.Path(GmtName(before))) ||
               std::filesystem::exists(tree.Path(GmtName(after)));
  EXPECT_TRUE(found) << "expected " << GmtName(before);
}

// The keys follow -Y in its word or come in the next argument.
TEST(OutputFileSort, UppercaseSizeKeyPutsTheBiggestFirst) {
  for (const std::vector<std::string>& keys : {std::vector<std::string>{"-YS"}, std::vector<std::string>{"-Y", "Sn"}}) {
    TempTree tree;
    tree.AddFileOfSize("data/small.bin", 1);
    tree.AddFileOfSize("data/big.bin", 3000);
    tree.AddFileOfSize("data/mid.bin", 200);
    std::string output = tree.Path("out.txt");
    std::vector<std::string> args = {HostPath(tree.Path("data")), "-o", HostPath(output)};
    args.insert(args.end(), keys.begin(), keys.end());
    RunResult result = RunKorven(args, tree.Root());
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.err.find("\n\nSORTING OUTPUT\n\n\n"), std::string::npos) << result.err;
    std::string text = ReadFileText(output);
    size_t big = text.find(ListedName(tree.Path("data/big.bin")));
    size_t mid = text.find(ListedName(tree.Path("data/mid.bin")));
    size_t small = text.find(ListedName(tree.Path("data/small.bin")));
    ASSERT_NE(small, std::string::npos) << text;
    EXPECT_LT(big, mid) << text;
    EXPECT_LT(mid, small) << text;
    // A sorted file gets no summary.
    EXPECT_EQ(text.find("Elapsed:"), std::string::npos) << text;
  }
}

// The sort reads its file back: a listing on a pipe would never give back
// what was written to it, so -Y is refused before anything is listed.
TEST(OutputFileSort, IsRefusedWhenTheListingIsNoRegularFile) {
  TempTree tree;
  tree.AddFile("a.txt", "x");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"-o", "/dev/stdout", "-Yn"}, std::vector<std::string>{"-Y", "n"}}) {
    RunResult result = RunKorven(args, tree.Root());
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.status, 5) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("-Y sorts an output file"), std::string::npos) << result.err;
  }
}

}  // namespace
}  // namespace korven::e2e
