// Named streams: the user extended attributes of files and directories on
// POSIX, listed as records of their own after the file or when the directory
// is met. Wine has no backup interface, so the Win32 program lists none there.
#include <errno.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include "harness.h"

namespace korven::e2e {
namespace {

// 03/07/2008 03:30:15 and 04:00:00 UTC.
constexpr time_t kWritten = 1204860615;
constexpr time_t kAccessed = 1204862400;
constexpr const char* kTimes = " 03/07/2008 03:30w GMT \n";
constexpr const char* kNoUserAttributes = "the temporary directory's file system refuses user extended attributes";

std::string Padded(const std::string& text, size_t width) {
  return text + std::string(width > text.size() ? width - text.size() : 0, ' ');
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line + "\n");
  return lines;
}

// Gives the object `relative` of the tree the stream `name`; false when the
// file system refuses user attributes.
bool GiveStream(const TempTree& tree, const std::string& relative, const std::string& name,
                const std::string& value) {
  const std::string attribute = "user." + name;
  if (setxattr(tree.Path(relative).c_str(), attribute.c_str(), value.data(), value.size(), 0) == 0) return true;
  if (errno != ENOTSUP) ADD_FAILURE() << "setxattr " << relative << " " << name << ": " << strerror(errno);
  return false;
}

// docs/report.txt ("abc") with the streams info ("hello") and empty (""),
// docs/sub with the stream tag ("t") and the file inner.txt ("123456789").
struct Docs {
  TempTree tree;
  bool streamsTaken = false;

  Docs() {
    tree.AddFile("docs/report.txt", "abc");
    tree.AddFile("docs/sub/inner.txt", "123456789");
    streamsTaken = GiveStream(tree, "docs/report.txt", "info", "hello") &&
                   GiveStream(tree, "docs/report.txt", "empty", "") && GiveStream(tree, "docs/sub", "tag", "t");
    for (const char* object : {"docs/report.txt", "docs/sub/inner.txt", "docs/sub"}) {
      tree.SetTimes(object, kWritten, kAccessed);
    }
  }
  std::string InDocs(const std::string& relative) const { return tree.Path("docs/" + relative); }
  // A record: the name field, a blank and the rest with the times of the tree.
  static std::string Record(const std::string& name, size_t width, const std::string& crcAndSize) {
    return Padded(name, width) + " " + crcAndSize + kTimes;
  }
  // The records of a run in docs without header, times in UTC.
  RunResult Run(std::vector<std::string> args) const {
    args.insert(args.end(), {"-v", "-Z"});
    RunResult result = RunKorven(args, tree.Path("docs"));
    EXPECT_EQ(result.status, 0) << result.err;
    return result;
  }
};

#define SKIP_WITHOUT_STREAMS(docs) \
  if (!(docs).streamsTaken) GTEST_SKIP() << kNoUserAttributes

TEST(NamedStreams, FileAndDirectoryStreamsFollowTheirObjects) {
  Docs d;
  SKIP_WITHOUT_STREAMS(d);
  const RunResult result = d.Run({"-w", "200"});
  std::string expected = Docs::Record(ListedName(d.InDocs("report.txt")), 200, "352441C2           3");
  if (!UnderWine()) {
    expected += Docs::Record(d.InDocs("report.txt:empty"), 200, "00000000           0") +
                Docs::Record(d.InDocs("report.txt:info"), 200, "3610A686           5") +
                Docs::Record(d.InDocs("sub:tag"), 200, "856A5AA8           1");
  }
  EXPECT_EQ(result.out, expected);
  EXPECT_EQ(result.err.find("Alt Data"), std::string::npos) << result.err;
}

TEST(NamedStreams, WithRecursionADirectorysStreamsComeBeforeItsFiles) {
  Docs d;
  SKIP_WITHOUT_STREAMS(d);
  std::vector<std::string> expected;
  if (!UnderWine()) expected.push_back(Docs::Record(d.InDocs("sub:tag"), 60, "856A5AA8           1"));
  expected.push_back(Docs::Record(ListedName(d.InDocs("sub/inner.txt")), 60, "CBF43926           9"));
  expected.push_back(Docs::Record(ListedName(d.InDocs("report.txt")), 60, "352441C2           3"));
  if (!UnderWine()) {
    expected.push_back(Docs::Record(d.InDocs("report.txt:empty"), 60, "00000000           0"));
    expected.push_back(Docs::Record(d.InDocs("report.txt:info"), 60, "3610A686           5"));
  }
  EXPECT_EQ(Lines(d.Run({"-r", "-w", "60"}).out), expected);
}

TEST(NamedStreams, SwitchedOffWithS) {
  Docs d;
  SKIP_WITHOUT_STREAMS(d);
  EXPECT_EQ(d.Run({"-S"}).out, Docs::Record(ListedName(d.InDocs("report.txt")), 35, "352441C2           3"));
}

TEST(NamedStreams, SummaryCountsStreamsAsFiles) {
  Docs d;
  SKIP_WITHOUT_STREAMS(d);
  const std::string output = d.tree.Path("out.txt");
  const RunResult result = RunKorven({"-o", HostPath(output)}, d.tree.Path("docs"));
  EXPECT_EQ(result.status, 0) << result.err;
  const std::string text = ReadFileText(output);
  const std::string counts = UnderWine() ? "\n  1 directory, 1 files, 3 bytes: \n  Elapsed: "
                                         : "\n  1 directory, 4 files, 9 bytes: \n"
                                           " (Includes 3 Alternate Data Streams And 1 directories holding data "
                                           "streams)\n  Elapsed: ";
  EXPECT_NE(text.find(counts), std::string::npos) << text;
}

TEST(NamedStreams, RecordsFollowTheOptions) {
  if (UnderWine()) GTEST_SKIP() << "Wine has no backup interface: no streams to list";
  Docs d;
  SKIP_WITHOUT_STREAMS(d);
  struct Case {
    std::vector<std::string> args;
    std::string record;  // the record of report.txt:info
  };
  const std::string info = d.InDocs("report.txt:info");
  const Case cases[] = {
      {{"-D", "2"}, Docs::Record(info, 35, "AAC9B334           5")},
      {{"-8"}, Padded(info, 35) + " 3610A686           5 03/07/2008 03:30w GMT " + std::string(16, ' ') + " \n"},
      {{"-n"}, Docs::Record("report.txt:info", 35, "3610A686           5")},
      {{"-Tw"}, Padded(info, 35) + " 3610A686           5 2008/03/07 03:30w GMT \n"},
      {{"-d", ","}, Padded(info, 35) + ",3610A686,          5,03/07/2008,03:30w,GMT,\n"},
      {{"-W", "20"}, info.substr(0, 1) + ".../report.txt:info 3610A686           5" + kTimes},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> lines = Lines(d.Run(c.args).out);
    ASSERT_EQ(lines.size(), 4u) << c.args.front();
    EXPECT_EQ(lines[2], c.record) << c.args.front();
  }
}

TEST(NamedStreams, ThreeTimesOfAStreamAreItsObjects) {
  if (UnderWine()) GTEST_SKIP() << "Wine has no backup interface: no streams to list";
  Docs d;
  SKIP_WITHOUT_STREAMS(d);
  const std::vector<std::string> lines = Lines(d.Run({"-t3"}).out);
  ASSERT_EQ(lines.size(), 4u);
  // The creation time is the file's birth, which no test can set.
  EXPECT_EQ(lines[2].substr(0, 57), Padded(d.InDocs("report.txt:info"), 35) + " 3610A686           5 ");
  EXPECT_EQ(lines[2].substr(57 + 21), "03/07/2008 03:30:15w 03/07/2008 04:00:00a GMT \n");
}

TEST(NamedStreams, PathNamesOnlyListNoFileStreams) {
  if (UnderWine()) GTEST_SKIP() << "Wine has no backup interface: no streams to list";
  Docs d;
  SKIP_WITHOUT_STREAMS(d);
  EXPECT_EQ(d.Run({"-N"}).out,
            Padded(ListedName(d.InDocs("report.txt")), 35) + " \n" + Padded(d.InDocs("sub:tag"), 35) + " \n");
}

TEST(NamedStreams, EveryStreamInNameOrderWithControlCharactersShown) {
  if (UnderWine()) GTEST_SKIP() << "Wine has no backup interface: no streams to list";
  TempTree tree;
  tree.AddFile("many.txt", "");
  std::vector<std::string> names = {"a:b", "bell\a", "z"};
  // Names longer together than the first buffer the names are listed into.
  const std::string tail(24, '_');
  for (int i = 0; i < 12; ++i) names.push_back("s" + std::to_string(100 + i) + tail);
  for (const std::string& name : names) {
    if (!GiveStream(tree, "many.txt", name, name)) GTEST_SKIP() << kNoUserAttributes;
  }
  // A link has the streams of the file it points to.
  ASSERT_EQ(symlink("many.txt", tree.Path("link.txt").c_str()), 0);
  RunResult result = RunKorven({"link.txt", "-v", "-w", "60", "-m"}, tree.Root());
  std::vector<std::string> fields;
  for (const std::string& line : Lines(result.out)) fields.push_back(line.substr(0, line.find(' ')));
  ASSERT_EQ(fields.size(), 16u) << result.out;
  EXPECT_EQ(fields[1], tree.Path("link.txt:a:b"));
  EXPECT_EQ(fields[2], tree.Path("link.txt:bell?"));
  EXPECT_EQ(fields[3], tree.Path("link.txt:s100" + tail));
  EXPECT_EQ(fields[14], tree.Path("link.txt:s111" + tail));
  EXPECT_EQ(fields[15], tree.Path("link.txt:z"));
}

}  // namespace
}  // namespace korven::e2e
