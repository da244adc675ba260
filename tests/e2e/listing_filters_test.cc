// Which files a run lists, and what -R, -C, -V and -E do to them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <fstream>
#include <sstream>

#include "harness.h"

namespace korven::e2e {
namespace {

constexpr time_t kDay = 24 * 3600;

// Noon UTC `days` calendar days before today.
time_t NoonDaysAgo(int days) {
  time_t now = time(nullptr);
  return now - now % kDay + 12 * 3600 - days * kDay;
}

std::string Listing(const TempTree& tree, const std::vector<std::string>& args) {
  std::vector<std::string> all = args;
  all.push_back("-v");
  RunResult result = RunKorven(all, tree.Root(), {{"TZ", "UTC"}});
  EXPECT_EQ(result.status, 0) << result.err;
  return result.out;
}

bool Lists(const std::string& listing, const TempTree& tree, const std::string& name) {
  return listing.find(ListedName(tree.Path(name)) + " ") != std::string::npos;
}

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(ListingFilters, SizeLowerBoundIsInclusive) {
  TempTree tree;
  tree.AddFileOfSize("nine.bin", 9);
  tree.AddFileOfSize("eight.bin", 8);
  const std::string out = Listing(tree, {"-G", "9"});
  EXPECT_TRUE(Lists(out, tree, "nine.bin")) << out;
  EXPECT_FALSE(Lists(out, tree, "eight.bin")) << out;
}

TEST(ListingFilters, NewerThanDaysCountsCalendarDays) {
  TempTree tree;
  tree.AddFile("yesterday.txt", "y");
  tree.AddFile("three.txt", "t");
  tree.SetTimes("yesterday.txt", NoonDaysAgo(1), NoonDaysAgo(1));
  tree.SetTimes("three.txt", NoonDaysAgo(3), NoonDaysAgo(3));
  const std::string out = Listing(tree, {"-l", "3"});
  EXPECT_TRUE(Lists(out, tree, "yesterday.txt")) << out;
  EXPECT_FALSE(Lists(out, tree, "three.txt")) << out;
}

TEST(ListingFilters, DateBoundWithALetterSelectsByThatTime) {
  TempTree tree;
  tree.AddFile("a.txt", "a");
  tree.SetTimes("a.txt", 946728000, 1204862400);  // written 2000, accessed 03/07/2008
  EXPECT_TRUE(Lists(Listing(tree, {"-l", "03-01-2008a"}), tree, "a.txt"));
  EXPECT_FALSE(Lists(Listing(tree, {"-l", "03-01-2008w"}), tree, "a.txt"));
}

TEST(ListingFilters, SummaryCountsTheFilesListed) {
  TempTree tree;
  tree.AddFileOfSize("a.bin", 100);
  tree.AddFileOfSize("b.bin", 20);
  tree.AddFileOfSize("c.bin", 5);
  // The output file lies outside the tree: a file is looked up when it is
  // listed, and by then the output file holds records.
  TempTree elsewhere;
  const std::string output = elsewhere.Path("out.txt");
  RunResult result = RunKorven({"-G", "10", "-o", HostPath(output)}, tree.Root(), {{"TZ", "UTC"}});
  EXPECT_EQ(result.status, 0) << result.err;
  const std::string text = Contents(output);
  EXPECT_TRUE(Lists(text, tree, "a.bin") && Lists(text, tree, "b.bin")) << text;
  EXPECT_NE(text.find(" 2 files, 120 bytes: "), std::string::npos) << text;
  EXPECT_NE(result.err.find(" 2 files, 120 bytes: "), std::string::npos) << result.err;
}

TEST(ListingFilters, ExclusionClassesKeepTheirMeaning) {
  TempTree tree;
  for (const char* name : {"1abc", "abc", "x9"}) tree.AddFile(name, "x");
  const std::string listing = Listing(tree, {"-x", "[[:digit:]]*"});
  EXPECT_FALSE(Lists(listing, tree, "1abc")) << listing;
  EXPECT_TRUE(Lists(listing, tree, "abc")) << listing;
  EXPECT_TRUE(Lists(listing, tree, "x9")) << listing;
}

TEST(ListingFilters, ResetGivesBackTheTimesToTheNanosecond) {
  if (UnderWine()) GTEST_SKIP() << "Windows file times count 100 ns";
  TempTree tree;
  tree.AddFile("a.txt", "data");
  struct timespec set[2] = {{1100000000, 123456789}, {1000000000, 987654321}};
  ASSERT_EQ(utimensat(AT_FDCWD, tree.Path("a.txt").c_str(), set, 0), 0);
  for (const char* option : {"-R", "-C"}) {
    Listing(tree, {option});
    struct stat st;
    ASSERT_EQ(stat(tree.Path("a.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, set[1].tv_sec) << option;
    EXPECT_EQ(st.st_mtim.tv_nsec, set[1].tv_nsec) << option;
    EXPECT_EQ(st.st_atim.tv_sec, set[0].tv_sec) << option;
    EXPECT_EQ(st.st_atim.tv_nsec, set[0].tv_nsec) << option;
  }
}

TEST(ListingFilters, ResetGivesBackTheTimesAlsoOfAReadOnlyFile) {
  TempTree tree;
  tree.AddFile("rw.txt", "data");
  tree.AddFile("ro.txt", "data");
  tree.SetTimes("rw.txt", 1000000000, 1100000000);
  tree.SetTimes("ro.txt", 1000000000, 1100000000);
  ASSERT_EQ(chmod(tree.Path("ro.txt").c_str(), 0444), 0);
  Listing(tree, {"-R"});
  for (const char* name : {"rw.txt", "ro.txt"}) {
    struct stat st;
    ASSERT_EQ(stat(tree.Path(name).c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1000000000) << name;
    EXPECT_EQ(st.st_atime, 1100000000) << name;
  }
  struct stat st;
  ASSERT_EQ(stat(tree.Path("ro.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0222, 0u);
}

TEST(ListingFilters, SignatureIsAppendedVerifiedAndErased) {
  TempTree tree;
  tree.AddFile("p.exe", "hello world");  // CRC-32 0D4A1185: seven digits and a NUL
  tree.SetTimes("p.exe", 1000000000, 1100000000);
  Listing(tree, {"-C"});
  EXPECT_EQ(Contents(tree.Path("p.exe")), std::string("hello worldD4A1185\0", 19));
  struct stat st;
  ASSERT_EQ(stat(tree.Path("p.exe").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, 1000000000);  // -C resets the times

  RunResult verified = RunKorven({"-V", "-v"}, tree.Root());
  EXPECT_EQ(verified.status, 0) << verified.err;
  EXPECT_EQ(verified.err.find("Incorrect CRC"), std::string::npos);

  Listing(tree, {"-E"});
  EXPECT_EQ(Contents(tree.Path("p.exe")), "hello world");
  Listing(tree, {"-E"});  // no signature left: nothing is cut
  EXPECT_EQ(Contents(tree.Path("p.exe")), "hello world");
}

TEST(ListingFilters, FailedCheckEndsItsRecordAndTheRunWithStatusOne) {
  TempTree tree;
  tree.AddFile("p.exe", "no signature");
  tree.AddFile("q.exe", "none either");
  RunResult result = RunKorven({"-V", "-v"}, tree.Root());
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 2) << result.out;
  EXPECT_NE(result.err.find("Incorrect CRC\n"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace korven::e2e
