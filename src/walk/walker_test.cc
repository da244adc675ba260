#include "walk/walker.h"

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/path.h"
#include "run/run.h"
#include "run/terminate.h"
#include "testing/memory_file_system.h"
#include "testing/test_run.h"

namespace korven {
namespace {

// Test paths are written with '/' and turned into the platform's separator.
std::string P(std::string path) {
  for (char& c : path) {
    if (c == '/') c = kPathSeparator;
  }
  return path;
}

class WalkerTest : public ::testing::Test {
 protected:
  WalkerTest() {
    run_.countingPass = 0;
    run_.settings.nameWidth = 100;
    run_.settings.pathNameOnly = 1;  // a record is the name field alone
    run_.settings.showStreams = 1;
    run_.values.searchTypes = {"*.*"};
    // The tree A/B/C with one file in each directory.
    fs_.AddRootDirectory(P("/T"));
    fs_.AddFile(P("/T/A/A1.TXT"), "aaaa");
    fs_.AddFile(P("/T/A/A2.DAT"), "aa");
    fs_.AddFile(P("/T/A/B/B1.TXT"), "bbbbbbbb");
    fs_.AddFile(P("/T/A/B/C/C1.TXT"), "c");
  }
  // The records written, one path per line without the padding.
  std::vector<std::string> Listed() {
    std::vector<std::string> lines;
    std::string text = ReadAll(run_.listing);
    size_t start = 0;
    for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
      std::string line = text.substr(start, end - start);
      line.erase(line.find_last_not_of(' ') + 1);
      lines.push_back(line);
      start = end + 1;
    }
    return lines;
  }

  MemoryFileSystem fs_;
  TestRun t_{fs_};
  FakeSystem& sys_ = t_.sys;
  korven::Run& run_ = t_.run;
};

TEST_F(WalkerTest, RecursionListsTheDeepestDirectoryFirst) {
  run_.settings.recurse = 1;
  WalkPath(run_, P("/T/A/"));
  std::vector<std::string> expected = {P("/T/A/B/C/C1.TXT"), P("/T/A/B/B1.TXT"),
                                       P("/T/A/A1.TXT"), P("/T/A/A2.DAT")};
  EXPECT_EQ(Listed(), expected);
}

TEST_F(WalkerTest, WithoutRecursionOnlyTheStartingDirectoryIsListed) {
  WalkPath(run_, P("/T/A/"));
  std::vector<std::string> expected = {P("/T/A/A1.TXT"), P("/T/A/A2.DAT")};
  EXPECT_EQ(Listed(), expected);
}

TEST_F(WalkerTest, DirectoryCount) {
  struct Case {
    int recurse;
    int countingPass;
    const char* path;
    long dirCount;
  };
  const Case cases[] = {
      {0, 0, "/T/A/", 1},        // the starting directory itself
      {0, 1, "/T/A/", 0},        // never while counting
      {1, 0, "/T/A/", 2},        // B and C, not A
      {1, 1, "/T/A/", 0},
      {0, 0, "/T/MISSING/", 0},  // nothing found: not counted
  };
  for (const Case& c : cases) {
    run_.settings.recurse = c.recurse;
    run_.countingPass = c.countingPass;
    run_.settings.outputMode = OutputMode::kFile;
    run_.counters = RunCounters{};
    WalkPath(run_, P(c.path));
    EXPECT_EQ(run_.counters.dirCount, c.dirCount)
        << "recurse " << c.recurse << " counting " << c.countingPass << " " << c.path;
  }
}

TEST_F(WalkerTest, DirectoryStreamsComeWhereTheWalkMeetsTheirDirectory) {
  run_.volumeType = kVolumeNamedStreams;
  fs_.AddStream(P("/T"), ":root:$DATA", "r");  // a drive's root: searched without "."
  fs_.AddStream(P("/T/A"), ":a:$DATA", "a");
  fs_.AddStream(P("/T/A/B"), ":b:$DATA", "b");
  struct Case {
    int recurse;
    std::vector<std::string> listed;
  };
  const Case cases[] = {
      {0, {P("/T/A:a"), P("/T/A/A1.TXT"), P("/T/A/A2.DAT"), P("/T/A/B:b")}},
      {1, {P("/T/A:a"), P("/T/A/B:b"), P("/T/A/B/C/C1.TXT"), P("/T/A/B/B1.TXT"), P("/T/A/A1.TXT"), P("/T/A/A2.DAT")}},
  };
  for (const Case& c : cases) {
    run_.listing = freopen(nullptr, "w+", run_.listing);
    run_.counters = RunCounters{};
    run_.settings.recurse = c.recurse;
    WalkPath(run_, P("/T/A/"));
    EXPECT_EQ(Listed(), c.listed) << c.recurse;
    EXPECT_EQ(run_.counters.streamCount, 2) << c.recurse;
    EXPECT_EQ(run_.counters.streamDirCount, 2) << c.recurse;
  }
  run_.listing = freopen(nullptr, "w+", run_.listing);
  WalkPath(run_, P("/T/"));
  EXPECT_EQ(Listed().front(), P("/T/A:a"));
}

TEST_F(WalkerTest, FileMatchingTwoTypesIsListedTwice) {
  run_.values.searchTypes = {"*.*", "*.TXT"};
  WalkPath(run_, P("/T/A/"));
  std::vector<std::string> expected = {P("/T/A/A1.TXT"), P("/T/A/A2.DAT"), P("/T/A/A1.TXT")};
  EXPECT_EQ(Listed(), expected);
}

TEST_F(WalkerTest, TypeListStopsAtAnEntryBeginningWithMinus) {
  run_.values.searchTypes = {"*.DAT", "-x", "*.TXT"};
  WalkPath(run_, P("/T/A/"));
  std::vector<std::string> expected = {P("/T/A/A2.DAT")};
  EXPECT_EQ(Listed(), expected);
}

TEST_F(WalkerTest, ExcludedFilesAreLeftOut) {
  run_.settings.excludeOn = 1;
  run_.values.excludeTypes = {"*.DAT"};
  WalkPath(run_, P("/T/A/"));
  std::vector<std::string> expected = {P("/T/A/A1.TXT")};
  EXPECT_EQ(Listed(), expected);
}

TEST_F(WalkerTest, CountingPassCountsExcludedFilesAndListsNothing) {
  run_.countingPass = 1;
  run_.settings.outputMode = OutputMode::kFile;
  run_.settings.recurse = 1;
  run_.settings.excludeOn = 1;
  run_.values.excludeTypes = {"*.TXT"};
  run_.settings.autoWidth = 1;
  run_.settings.longNameMode = 1;
  WalkPath(run_, P("/T/A/"));
  EXPECT_EQ(run_.counters.countedFiles, 4);
  EXPECT_EQ(run_.counters.countedBytes, 4 + 2 + 8 + 1);
  EXPECT_EQ(run_.counters.longestPath, static_cast<int>(P("/T/A/B/C/C1.TXT").size()));
  EXPECT_EQ(run_.counters.longestName, 6);
  EXPECT_TRUE(Listed().empty());
  EXPECT_EQ(run_.counters.listedFiles, 0);
}

TEST_F(WalkerTest, LongestPathAndNameAreOnlyKeptWhenAskedFor) {
  run_.countingPass = 1;
  run_.settings.outputMode = OutputMode::kFile;
  WalkPath(run_, P("/T/A/"));
  EXPECT_EQ(run_.counters.countedFiles, 2);
  EXPECT_EQ(run_.counters.longestPath, 0);
  EXPECT_EQ(run_.counters.longestName, 0);
}

TEST_F(WalkerTest, DirectoriesAreNeverListed) {
  fs_.AddDirectory(P("/T/A/D.TXT"));
  run_.values.searchTypes = {"*.TXT"};
  WalkPath(run_, P("/T/A/"));
  std::vector<std::string> expected = {P("/T/A/A1.TXT")};
  EXPECT_EQ(Listed(), expected);
}

TEST_F(WalkerTest, ProgressShowsCountAndPathAndErasesThem) {
  run_.settings.outputMode = OutputMode::kFile;
  run_.counters.listedFiles = 7;
  WalkPath(run_, P("/T/A/B/C/"));
  std::string count = "      7 ";
  std::string path = P("/T/A/B/C/") + " ";
  auto erase = [](size_t n) {
    return std::string(n, '\b') + std::string(n, ' ') + std::string(n, '\b');
  };
  EXPECT_EQ(ReadAll(run_.message), count + path + erase(path.size()) + erase(count.size()));
}

TEST_F(WalkerTest, ProgressPathIsCutAt55CharactersAndNeedsAnOutputFile) {
  std::string deep = P("/T/A/" + std::string(60, 'D'));
  fs_.AddFile(deep + P("/F"), "f");
  run_.settings.quietLevel = 1;  // no count
  WalkPath(run_, deep + kPathSeparator);
  EXPECT_EQ(ReadAll(run_.message), "");  // listing on standard output: no progress

  run_.settings.outputMode = OutputMode::kFile;
  WalkPath(run_, deep + kPathSeparator);
  std::string shown = deep.substr(0, 55) + " ";
  EXPECT_EQ(ReadAll(run_.message), shown + std::string(56, '\b') + std::string(56, ' ') +
                                       std::string(56, '\b'));
}

TEST_F(WalkerTest, OverlongPathIsSkippedWithAMessage) {
  std::string longPath = P("/T/") + std::string(10400, 'X') + kPathSeparator;
  WalkPath(run_, longPath);
  EXPECT_TRUE(fs_.searches().empty());
  EXPECT_EQ(ReadAll(run_.message), "\nPath longer than 10399 characters skipped: " +
                                       longPath.substr(0, 60) + "...\n");
}

TEST_F(WalkerTest, FileWhosePathWouldBeOverlongIsSkippedWithTheStartOfThePath) {
  const std::string dir = P("/T/A/");
  const std::string fits(10399 - dir.size(), 'F');
  const std::string overlong(10400 - dir.size(), 'N');
  fs_.AddFile(dir + fits, "f");
  fs_.AddFile(dir + overlong, "n");
  run_.values.searchTypes = {fits.substr(0, 3) + "*", overlong.substr(0, 3) + "*"};
  WalkPath(run_, dir);
  const std::vector<std::string> listed = Listed();
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].back(), 'F');  // the name fitted to the width ends the same
  EXPECT_EQ(ReadAll(run_.message), "\nPath longer than 10399 characters skipped: " +
                                       (dir + overlong).substr(0, 60) + "...\n");

  // The counting pass skips it too, without a word about it.
  FILE* quiet = tmpfile();
  std::swap(quiet, run_.message);
  run_.countingPass = 1;
  run_.settings.outputMode = OutputMode::kFile;
  WalkPath(run_, dir);
  EXPECT_EQ(run_.counters.countedFiles, 1);
  EXPECT_EQ(ReadAll(run_.message).find("Path longer"), std::string::npos);
  std::swap(quiet, run_.message);
  fclose(quiet);
}

TEST_F(WalkerTest, EachDirectoryIsSearchedOnceForTheWalkAndOncePerType) {
  run_.settings.recurse = 1;
  run_.values.searchTypes = {"*.TXT", "*.DAT"};
  WalkPath(run_, P("/T/A/"));
  std::vector<std::string> expected = {P("/T/A/"),     P("/T/A/B/"),   P("/T/A/B/C/"),
                                       P("/T/A/B/C/"), P("/T/A/B/C/"), P("/T/A/B/"),
                                       P("/T/A/B/"),   P("/T/A/"),     P("/T/A/")};
  EXPECT_EQ(fs_.searches(), expected);
}

TEST_F(WalkerTest, EscapeDuringTheListingEndsTheRunAsUserAborted) {
  sys_.keys = {-1, -1, 'x', 27};  // polled for "." and ".." too
  try {
    WalkPath(run_, P("/T/A/"));
    FAIL() << "the run went on";
  } catch (const RunEnded& ended) {
    EXPECT_EQ(ended.status, 1);
  }
  // The first key was consumed and ignored, so one file got listed.
  EXPECT_EQ(Listed().size(), 1u);
  EXPECT_NE(ReadAll(run_.message).find("USER_ABORTED"), std::string::npos);
}

TEST_F(WalkerTest, InterruptSignalEndsTheRunBetweenEntries) {
  sys_.interrupted = true;
  try {
    WalkPath(run_, P("/T/A/"));
    FAIL() << "the run went on";
  } catch (const RunEnded& ended) {
    EXPECT_EQ(ended.status, 2);
  }
  EXPECT_TRUE(Listed().empty());
}

TEST_F(WalkerTest, KeyAbortOnlyForCtrlCAndEscape) {
  struct Case {
    int key;
    bool aborts;
  };
  const Case cases[] = {{-1, false}, {'q', false}, {13, false}, {27, true}, {3, true}};
  for (const Case& c : cases) {
    sys_.keys = {c.key};
    EXPECT_EQ(KeyAbort(run_), c.aborts) << "key " << c.key;
  }
}

TEST_F(WalkerTest, ProbeVolumeAsksTheFileSystem) {
  for (int type : {kVolumeOther, kVolumeNamedStreams, kVolumeFat}) {
    fs_.volumeType = type;
    EXPECT_EQ(ProbeVolume(run_, P("/T/A/")), type);
  }
  EXPECT_EQ(ProbeVolume(run_, ""), kVolumeOther);
}

}  // namespace
}  // namespace korven
