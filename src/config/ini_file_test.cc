#include "config/ini_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/path.h"
#include "run/terminate.h"
#include "testing/test_run.h"

namespace korven {
namespace {

int ApplyAndEnd(TestRun& p, const std::string& path) {
  try {
    ApplyIniFile(p.run, path);
  } catch (const RunEnded& ended) {
    return ended.status;
  }
  return -1;
}

TEST(FindIniFileTest, ProgramFileBeforeSuiteFileCurrentDirectoryFirst) {
  struct Case {
    const char* name;
    std::vector<std::string> files;  // relative to the run's home
    const char* found;               // relative to the run's home, "" for none
  } cases[] = {
      {"none", {}, ""},
      {"cwd", {"cwd/korven.ini"}, "cwd/korven.ini"},
      {"cwd_case", {"cwd/KORVEN.Ini"}, "cwd/KORVEN.Ini"},
      {"suite", {"cwd/tolvaner.ini"}, "cwd/tolvaner.ini"},
      {"own_first", {"cwd/TOLVANER.INI", "cwd/korven.ini"}, "cwd/korven.ini"},
      {"bin", {"bin/korven.ini"}, "bin/korven.ini"},
      {"cwd_before_bin", {"bin/korven.ini", "cwd/TOLVANER.INI"}, "cwd/TOLVANER.INI"},
      {"other_names", {"cwd/korven.ini.bak", "cwd/xkorven.ini"}, ""},
  };
  for (const Case& c : cases) {
    TestRun p;
    p.MakeHome();
    for (const std::string& file : c.files) WriteFileText(p.Home() + file, "");
    std::string expected = *c.found ? p.Home() + c.found : "";
    EXPECT_EQ(FindIniFile(p.run), expected) << c.name;
  }
}

TEST(FindIniFileTest, ADirectoryOfThatNameIsNoIniFile) {
  TestRun p;
  p.MakeHome();
  std::filesystem::create_directories(p.Home() + "cwd/korven.ini");
  WriteFileText(p.Home() + "bin/korven.ini", "");
  EXPECT_EQ(FindIniFile(p.run), p.Home() + "bin/korven.ini");
}

TEST(ApplyIniFileTest, ReadsOnlyItsOwnSection) {
  TestRun p;
  p.MakeHome();
  std::string ini = p.Home() + "cwd/korven.ini";
  WriteFileText(ini,
                 "; a comment\n"
                 "[OTHER]\n"
                 "width=10\n"
                 "not a key line\n"
                 "[ Korven ]\r\n"
                 "  # another comment\n"
                 "RECURSE = on\r\n"
                 "Width=70\n"
                 "\n"
                 "STREAM=0\n"
                 "QXR=1\n"
                 "output=list MMDD.txt\n"
                 "exclude=*.bak\n"
                 "exclude=*.tmp\n"
                 "[tolvaner]\n"
                 "zulu=1\n");
  ASSERT_EQ(ApplyAndEnd(p, ini), -1) << p.Messages();
  EXPECT_EQ(p.run.settings.recurse, 1);
  EXPECT_EQ(p.run.settings.nameWidth, 70);
  EXPECT_EQ(p.run.settings.showStreams, 0);
  EXPECT_EQ(p.run.settings.bypass512, 1);
  EXPECT_EQ(p.run.values.displacement, 512);
  EXPECT_EQ(p.run.settings.outputMode, OutputMode::kFile);
  EXPECT_EQ(p.run.values.excludeTypes, (std::vector<std::string>{"*.bak", "*.tmp"}));
  EXPECT_EQ(p.run.settings.zuluTime, 0);
}

TEST(ApplyIniFileTest, ALastLineWithoutNewlineCounts) {
  TestRun p;
  p.MakeHome();
  std::string ini = p.Home() + "cwd/korven.ini";
  WriteFileText(ini, "[KORVEN]\nrecurse=1");
  ASSERT_EQ(ApplyAndEnd(p, ini), -1) << p.Messages();
  EXPECT_EQ(p.run.settings.recurse, 1);
}

TEST(ApplyIniFileTest, BadLinesEndTheRunWithReasonFour) {
  struct Case {
    const char* text;
    int line;
    const char* why;
  } cases[] = {
      {"[KORVEN]\nrecurse\n", 2, "expected KEY=VALUE"},
      {"[KORVEN]\n\n; fine\nbogus=1\n", 4, "unknown option \"bogus\""},
      {"[KORVEN]\nwidth=wide\n", 2, "name width"},
      {"[KORVEN]\nwidth=\n", 2, "width needs a value"},
      {"[KORVEN]\nrecurse=maybe\n", 2, "takes on or off"},
      {"[KORVEN]\nhelp=1\n", 2, "unknown option \"help\""},
      {"[KORVEN]\nno-recurse=1\n", 2, "unknown option \"no-recurse\""},
      {"[KORVEN\n", 1, "closing ]"},
      {kIsWin32 ? "[KORVEN]\ntype=a\\b\n" : "[KORVEN]\ntype=a/b\n", 2,
       kIsWin32 ? "Can't have a \\ in the file type option" : "Can't have a / in the file type option"},
  };
  for (const Case& c : cases) {
    TestRun p;
    p.MakeHome();
    std::string ini = p.Home() + "cwd/korven.ini";
    WriteFileText(ini, c.text);
    EXPECT_EQ(ApplyAndEnd(p, ini), kParameterFile) << c.text;
    std::string where = "\nINI file " + ini + ", line " + std::to_string(c.line) + ": ";
    EXPECT_NE(p.Messages().find(where), std::string::npos) << c.text << p.Messages();
    EXPECT_NE(p.Messages().find(c.why), std::string::npos) << c.text << p.Messages();
  }
}

// A line is read up to 4,096 bytes: a file without line ends (a device
// that never ends) is refused rather than read into memory for ever.
TEST(ApplyIniFileTest, LinesLongerThan4096BytesEndTheRunWithReasonFour) {
  TestRun fits;
  fits.MakeHome();
  const std::string ini = fits.Home() + "cwd/korven.ini";
  WriteFileText(ini, "[KORVEN]\n;" + std::string(4095, 'x') + "\nrecurse=1\n");
  EXPECT_EQ(ApplyAndEnd(fits, ini), -1) << fits.Messages();
  EXPECT_EQ(fits.run.settings.recurse, 1);

  TestRun over;
  over.MakeHome();
  const std::string longIni = over.Home() + "cwd/korven.ini";
  WriteFileText(longIni, "[KORVEN]\n;" + std::string(4096, 'x') + "\n");
  EXPECT_EQ(ApplyAndEnd(over, longIni), kParameterFile);
  EXPECT_NE(over.Messages().find(", line 2: longer than 4096 characters"), std::string::npos) << over.Messages();

  TestRun endless;
  EXPECT_EQ(ApplyAndEnd(endless, "/dev/zero"), kParameterFile);
  EXPECT_NE(endless.Messages().find(", line 1: longer than 4096 characters"), std::string::npos)
      << endless.Messages();
}

TEST(ApplyIniFileTest, UnreadableFileEndsTheRunWithReasonFour) {
  TestRun p;
  EXPECT_EQ(ApplyAndEnd(p, "/nonexistent-korven-test-dir/my.ini"), kParameterFile);
  EXPECT_NE(p.Messages().find("/nonexistent-korven-test-dir/my.ini"), std::string::npos);
}

}  // namespace
}  // namespace korven
