// The text of listing records as a user sees it, option by option.
#include <gtest/gtest.h>

#include <ctime>
#include <sstream>

#include "harness.h"

namespace korven::e2e {
namespace {

// 03/07/2008 03:30:15 and 04:00:00 UTC.
constexpr time_t kWritten = 1204860615;
constexpr time_t kAccessed = 1204862400;

std::string Padded(const std::string& text, size_t width) {
  return text + std::string(width > text.size() ? width - text.size() : 0, ' ');
}

struct Listed {
  TempTree tree;
  std::string name;  // the name field's text for a.txt
  Listed() {
    tree.AddFile("a.txt", "123456789");  // CRC-32 CBF43926
    tree.SetTimes("a.txt", kWritten, kAccessed);
    name = ListedName(tree.Path("a.txt"));
  }
  // Standard output of a run in the tree's root, with times in UTC.
  std::string Run(std::vector<std::string> args) {
    args.push_back("-v");  // no header
    RunResult result = RunKorven(args, tree.Root(), {{"TZ", "UTC"}});
    EXPECT_EQ(result.status, 0) << result.err;
    return result.out;
  }
};

TEST(ListingRecords, LayoutsOfOneFile) {
  struct Case {
    std::vector<std::string> args;
    const char* rest;  // after the 35-character name field and its blank
  };
  const Case cases[] = {
      {{"-Z"}, "CBF43926           9 03/07/2008 03:30w GMT \n"},
      {{"-Z", "-tW"}, "CBF43926           9 03/07/2008 03:30:15w GMT \n"},
      {{"-Z", "-ta"}, "CBF43926           9 03/07/2008 04:00a GMT \n"},
      {{"-Z", "-Tw"}, "CBF43926           9 2008/03/07 03:30w GMT \n"},
      {{"-Z", "-8"}, "CBF43926           9 03/07/2008 03:30w GMT  a.txt           \n"},
      {{"-m"}, "CBF43926           9 \n"},
      {{"-Z", "-8810E"}, "CBF43926           9 03/07/2008 03:30w GMT TXT A.TXT      \n"},
      {{"-Z", "-88"}, "CBF43926           9 03/07/2008 03:30w GMT A.TXT \n"},
  };
  for (const Case& c : cases) {
    Listed l;
    EXPECT_EQ(l.Run(c.args), Padded(l.name, 35) + " " + c.rest) << c.args.back();
  }
}

TEST(ListingRecords, ThreeTimesCarrySecondsAndTheirLetters) {
  Listed l;
  const std::string out = l.Run({"-Z", "-t3"});
  // The creation time is the file's birth, which no test can set.
  ASSERT_GT(out.size(), 36u + 21u);
  const std::string rest = out.substr(36);
  EXPECT_EQ(rest.substr(0, 21), "CBF43926           9 ");
  EXPECT_EQ(rest[21 + 19], 'c') << rest;
  EXPECT_EQ(rest.substr(21 + 21), "03/07/2008 03:30:15w 03/07/2008 04:00:00a GMT \n");
}

TEST(ListingRecords, DelimiterAfterEveryField) {
  Listed l;
  EXPECT_EQ(l.Run({"-Z", "-8", "-d", ","}),
            Padded(l.name, 35) + ",CBF43926,          9,03/07/2008,03:30w,GMT, a.txt          ,\n");
}

TEST(ListingRecords, ZoneAbbreviationOfTheLocalZone) {
  if (UnderWine()) GTEST_SKIP() << "Wine names zones its own way";
  Listed l;
  RunResult result = RunKorven({"-v"}, l.tree.Root(), {{"TZ", "EST5EDT"}});
  EXPECT_EQ(result.out, Padded(l.name, 35) + " CBF43926           9 03/06/2008 22:30w EST \n");
}

TEST(ListingRecords, NameOnlyAndPathNameOnly) {
  Listed l;
  EXPECT_EQ(l.Run({"-Z", "-n"}).substr(0, 36), Padded("a.txt", 36));
  EXPECT_EQ(l.Run({"-Z", "-n", "-r"}).substr(0, 36), Padded(l.name, 36));
  EXPECT_EQ(l.Run({"-N"}), Padded(l.name, 35) + " \n");
}

TEST(ListingRecords, NameWidths) {
  Listed l;
  // -w 10, standard form: the beginning, "...", and the name.
  const std::string narrow = l.Run({"-Z", "-w", "10"});
  EXPECT_EQ(narrow.substr(0, 11), std::string(UnderWine() ? "Z:\\...\\A.T" : "/.../A.TXT") + " ");
  // -W 30, tail form: the path's first characters, "...", the name; 30 in all.
  l.tree.AddFile("long-name-to-fit.txt", "123456789");
  const std::string full = ListedName(l.tree.Path("long-name-to-fit.txt"));
  ASSERT_GT(full.size(), 30u);
  const std::string tail = full.substr(full.size() - 21);  // separator and name
  std::istringstream lines(l.Run({"-Z", "-W", "30"}));
  std::string record;
  std::getline(lines, record);  // A.TXT comes first
  std::getline(lines, record);
  EXPECT_EQ(record.substr(0, 31), full.substr(0, 6) + "..." + tail + " ") << record;
}

TEST(ListingRecords, LongNameIsCutToExactlyTheWidth) {
  Listed l;
  const std::string name(60, 'x');
  l.tree.AddFile(name, "123456789");
  std::istringstream lines(l.Run({"-Z"}));
  std::string record;
  std::getline(lines, record);  // the long name sorts after A.TXT
  std::getline(lines, record);
  EXPECT_EQ(record.substr(35, 10), " CBF43926 ") << record;
  EXPECT_EQ(record.substr(0, 35).back(), 'X') << record;
}

TEST(ListingRecords, VersionNamesTheBuild) {
  TempTree tree;
  RunResult result = RunKorven({"--version"}, tree.Root());
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out.rfind("KORVEN ", 0), 0u) << result.out;
  EXPECT_NE(result.out.find(UnderWine() ? ", Win32 build, CRC-32 kernel " : ", POSIX build, CRC-32 kernel "),
            std::string::npos)
      << result.out;
  EXPECT_EQ(result.err, "");
}

// An escape sequence in a file name must not reach the terminal, in the
// progress text as in the listing.
TEST(ListingRecords, ControlCharactersOfNamesShowAsQuestionMarksInTheProgressText) {
  if (UnderWine()) GTEST_SKIP() << "a Windows name holds no control characters";
  TempTree tree;
  tree.AddFile("dir\x1b[31m/red\x1b[0m.txt", "x");
  RunResult result = RunKorven({"-r", "-o", tree.Path("out.txt")}, tree.Root());
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err.find('\x1b'), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("dir?[31m/"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find(" red?[0m"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace korven::e2e
