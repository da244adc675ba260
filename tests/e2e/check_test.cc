// Checking a listing against the disk, comparing two, and SFV files, on real trees.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "harness.h"

namespace korven::e2e {
namespace {

// 03/07/2008 03:30:15 and 04:00:00 UTC.
constexpr time_t kWritten = 1204860615;
constexpr time_t kAccessed = 1204862400;

const std::vector<std::pair<std::string, std::string>> kUtc = {{"TZ", "UTC"}};

// data/sub/b.txt, c.txt, d.txt and data/a.txt, e.txt, in the order a walk lists them.
const char* const kFiles[] = {"data/sub/b.txt", "data/sub/c.txt", "data/sub/d.txt", "data/a.txt", "data/e.txt"};

struct Data {
  TempTree tree;
  Data() {
    for (const char* file : kFiles) {
      tree.AddFile(file, std::string("contents of ") + file);
      tree.SetTimes(file, kWritten, kAccessed);
    }
  }
  RunResult Run(const std::vector<std::string>& args) { return RunKorven(args, tree.Root(), kUtc); }
  // The listing's name of a file: the relative path upper-cased.
  static std::string Name(const std::string& relative) {
    std::string name;
    for (char c : HostPath(relative)) name += static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return name;
  }
};

std::string CheckLines(const std::vector<std::pair<std::string, const char*>>& lines) {
  std::string text;
  for (const auto& [name, outcome] : lines) text += name + ": " + outcome + "\n";
  return text;
}

TEST(Check, RoundTripTellsCorruptionFromAWrite) {
  Data d;
  ASSERT_EQ(d.Run({"data", "-r", "-M", "-o", "l.txt"}).status, 0);
  RunResult unchanged = d.Run({"--check", "l.txt"});
  EXPECT_EQ(unchanged.status, 0) << unchanged.err;
  std::vector<std::pair<std::string, const char*>> allOk;
  for (const char* file : kFiles) allOk.push_back({Data::Name(file), "OK"});
  EXPECT_EQ(unchanged.out, CheckLines(allOk));
  EXPECT_NE(unchanged.err.find("\n  5 entries checked: 5 OK, 0 failed, 0 changed, 0 missing, 0 unreadable, "
                               "0 ambiguous, 0 shortened, 0 not checkable \n  Elapsed: "),
            std::string::npos)
      << unchanged.err;

  // One byte changed with its times put back, one file written anew, one
  // deleted, one renamed to upper case.
  d.tree.AddFile("data/a.txt", "Contents of data/a.txt");
  d.tree.SetTimes("data/a.txt", kWritten, kAccessed);
  d.tree.AddFile("data/sub/b.txt", "new contents");
  std::filesystem::remove(d.tree.Path("data/sub/c.txt"));
  std::filesystem::rename(d.tree.Path("data/sub/d.txt"), d.tree.Path("data/sub/D.TXT"));

  RunResult changed = d.Run({"--check", "l.txt"});
  EXPECT_EQ(changed.status, 1) << changed.err;
  EXPECT_EQ(changed.out, CheckLines({{Data::Name("data/sub/b.txt"), "CHANGED"},
                                     {Data::Name("data/sub/c.txt"), "MISSING"},
                                     {Data::Name("data/sub/d.txt"), "OK"},
                                     {Data::Name("data/a.txt"), "FAILED"},
                                     {Data::Name("data/e.txt"), "OK"}}));
  EXPECT_NE(changed.err.find("5 entries checked: 2 OK, 1 failed, 1 changed, 1 missing,"), std::string::npos)
      << changed.err;

  RunResult quiet = d.Run({"--check", "l.txt", "-v", "--ignore-missing"});
  EXPECT_EQ(quiet.status, 1);
  EXPECT_EQ(quiet.out,
            CheckLines({{Data::Name("data/sub/b.txt"), "CHANGED"}, {Data::Name("data/a.txt"), "FAILED"}}));
  EXPECT_EQ(quiet.err, "");
}

TEST(Check, TheListingItselfIsPassedOver) {
  Data d;
  // Listed from where it is written: it stands in the listing itself.
  RunResult listed = RunKorven({"-r", "-M", "-o", "l.txt"}, d.tree.Path("data"), kUtc);
  ASSERT_EQ(listed.status, 0) << listed.err;
  RunResult checked = RunKorven({"--check", "l.txt", "-v"}, d.tree.Path("data"), kUtc);
  EXPECT_EQ(checked.status, 0) << checked.out;
  EXPECT_EQ(checked.out, "");
}

TEST(Check, CompareNamesTheChangedAndTheRemovedFile) {
  Data d;
  ASSERT_EQ(d.Run({"data", "-r", "-M", "-o", "old.txt"}).status, 0);
  d.tree.AddFile("data/sub/b.txt", "new contents");
  std::filesystem::remove(d.tree.Path("data/sub/c.txt"));
  ASSERT_EQ(d.Run({"data", "-r", "-o", "new.txt", "-w", "60", "-t3"}).status, 0);

  RunResult compared = d.Run({"--compare", "old.txt", "new.txt"});
  EXPECT_EQ(compared.status, 1) << compared.err;
  const std::string b = Data::Name("data/sub/b.txt");
  const size_t at = compared.out.find("CHANGED " + b + ": CRC ");
  EXPECT_EQ(at, 0u) << compared.out;
  EXPECT_NE(compared.out.find(", size 26 -> 12\nREMOVED " + Data::Name("data/sub/c.txt") + "\n"), std::string::npos)
      << compared.out;
  EXPECT_EQ(std::count(compared.out.begin(), compared.out.end(), '\n'), 2) << compared.out;
  EXPECT_NE(compared.err.find("\n  1 changed, 0 added, 1 removed \n"), std::string::npos) << compared.err;

  RunResult same = d.Run({"--compare", "new.txt", "new.txt"});
  EXPECT_EQ(same.status, 0);
  EXPECT_EQ(same.out, "");
}

TEST(Check, SfvFilesAreWrittenAndReadBack) {
  Data d;
  d.tree.AddFile("data/sub/odd name.txt", "123456789");
  RunResult written = d.Run({"data", "-r", "--sfv", "-o", "f.sfv"});
  ASSERT_EQ(written.status, 0) << written.err;
  const std::string sfv = ReadFileText(d.tree.Path("f.sfv"));
  ASSERT_EQ(sfv.rfind("; Generated by KORVEN on ", 0), 0u) << sfv;
  // (The Win32 program writes the search path with an upper-case first letter.)
  EXPECT_NE(sfv.find(HostPath("data/sub/odd name.txt").substr(1) + " CBF43926\n"), std::string::npos) << sfv;
  EXPECT_EQ(std::count(sfv.begin(), sfv.end(), '\n'), 7) << sfv;
  // Its summary goes to the message stream only.
  EXPECT_NE(written.err.find("6 files"), std::string::npos) << written.err;

  RunResult checked = d.Run({"--check", "f.sfv", "-v"});
  EXPECT_EQ(checked.status, 0) << checked.out;
  EXPECT_EQ(checked.out, "");

  const std::string rhash = FindInPath("rhash");
  if (UnderWine() || rhash.empty()) GTEST_SKIP() << "rhash reads the SFV files of the native program";
  const std::string command = "cd '" + d.tree.Root() + "' && '" + rhash + "' -c f.sfv >/dev/null 2>&1";
  EXPECT_EQ(system(command.c_str()), 0);
}

TEST(Check, AnSfvFileNamesItsFilesFromWhereItLies) {
  Data d;
  d.tree.AddDirectory("out");
  ASSERT_EQ(d.Run({"-r", "--sfv", "-o", HostPath("out/f.sfv")}).status, 0);
  const std::string sfv = ReadFileText(d.tree.Path("out/f.sfv"));
  // Not "\n" + a temporary string: GCC 12 at -O3 takes that for an overlapping copy (-Wrestrict).
  const std::string relative = HostPath("../data/a.txt");
  EXPECT_NE(sfv.find("\n" + relative + " "), std::string::npos) << sfv;
  EXPECT_EQ(sfv.find("f.sfv"), std::string::npos) << sfv;
  RunResult checked = d.Run({"--check", HostPath("out/f.sfv"), "-v"});
  EXPECT_EQ(checked.status, 0) << checked.out;
}

TEST(Check, EveryRecordLayoutReadsBack) {
  const std::vector<std::vector<std::string>> layouts = {
      {},       {"-w", "60"}, {"-W", "60"}, {"-w", "0"}, {"-M"},        {"-n"},  {"-d", ","}, {"-d", "pipe"},
      {"-t3"},  {"-T3"},      {"-Tw"},      {"-tW"},     {"-ta", "-Z"}, {"-tC"}, {"-8"},      {"-m"},
      {"-t0"},  {"--variable"}, {"-Z", "-8", "-d", "59", "-tA"}, {"-88"}, {"-8820E", "-m"},
  };
  Data d;
  for (const std::vector<std::string>& layout : layouts) {
    std::vector<std::string> args = {"data", "-r", "-o", "l.txt"};
    args.insert(args.end(), layout.begin(), layout.end());
    std::string shown;
    for (const std::string& arg : layout) shown += arg + " ";
    ASSERT_EQ(d.Run(args).status, 0) << shown;
    RunResult checked = d.Run({"--check", "l.txt"});
    EXPECT_EQ(checked.status, 0) << shown << "\n" << checked.out << checked.err << ReadFileText(d.tree.Path("l.txt"));
    EXPECT_EQ(std::count(checked.out.begin(), checked.out.end(), '\n'), 5) << shown << checked.out;
  }
  // The console's listing, title line and all.
  RunResult console = d.Run({"data", "-r", "-tW"});
  d.tree.AddFile("console.txt", console.out);
  EXPECT_EQ(d.Run({"--check", "console.txt", "-v"}).status, 0) << console.out;
}

TEST(Check, ShortenedAndPathOnlyRecordsCanNotBeChecked) {
  Data d;
  ASSERT_EQ(d.Run({"data", "-r", "-o", "narrow.txt", "-w", "12"}).status, 0);
  RunResult narrow = d.Run({"--check", "narrow.txt", "-v"});
  EXPECT_EQ(narrow.status, 1);
  EXPECT_NE(narrow.out.find(": SHORTENED\n"), std::string::npos) << narrow.out;
  EXPECT_NE(narrow.err.find("list with -M or -w 0"), std::string::npos) << narrow.err;

  ASSERT_EQ(d.Run({"data", "-r", "-o", "names.txt", "-N"}).status, 0);
  RunResult names = d.Run({"--check", "names.txt", "-v"});
  EXPECT_EQ(names.status, 1);
  EXPECT_EQ(std::count(names.out.begin(), names.out.end(), '\n'), 5) << names.out;
  EXPECT_NE(names.out.find(Data::Name("data/a.txt") + ": UNCHECKABLE\n"), std::string::npos) << names.out;
  EXPECT_NE(names.err.find("made with -N"), std::string::npos) << names.err;
}

TEST(Check, BadListingsEndTheRunWithAMessage) {
  Data d;
  ASSERT_EQ(d.Run({"data", "-r", "-o", "l.txt"}).status, 0);
  const std::string listing = ReadFileText(d.tree.Path("l.txt"));
  d.tree.AddFile("bad.txt", listing.substr(0, listing.find('\n') + 1) + "not a record\n");
  d.tree.AddFile("empty.txt", "");
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* message;
  } cases[] = {
      {{"--check", "bad.txt"}, 2, "bad.txt: line 2 is neither a listing record nor a title or summary line"},
      {{"--check", "l.txt", "none.txt"}, 2, "none.txt: can't be opened"},
      {{"--compare", "l.txt", "bad.txt"}, 2, "bad.txt: line 2"},
      {{"--check", "empty.txt"}, 1, "empty.txt holds no entries to check"},
      {{"--compare", "l.txt"}, 5, "--compare needs 2 files after it"},
  };
  for (const Case& c : cases) {
    RunResult result = d.Run(c.args);
    EXPECT_EQ(result.status, c.status) << c.args.back() << result.err;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    if (c.status == 2) {
      EXPECT_EQ(result.out, "") << c.args.back();
    }
  }
}

}  // namespace
}  // namespace korven::e2e
