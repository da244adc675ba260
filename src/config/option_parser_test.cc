#include "config/option_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/path.h"
#include "run/terminate.h"
#include "testing/test_run.h"

namespace korven {
namespace {

using Args = std::vector<std::string>;

std::string Show(const Args& args) {
  std::string text;
  for (const std::string& arg : args) text += " [" + arg + "]";
  return text;
}

TEST(ParseOptionsTest, SwitchesSetTheirFields) {
  struct Case {
    Args args;
    int32_t RunSettings::*field;
    int32_t expected;
  } cases[] = {
      {{}, &RunSettings::recurse, 0},
      {{"-a"}, &RunSettings::appendOutput, 1},
      {{"-a", "+a"}, &RunSettings::appendOutput, 0},
      {{"-r"}, &RunSettings::recurse, 1},
      {{"-r", "-r"}, &RunSettings::recurse, 0},
      {{"+r"}, &RunSettings::recurse, 1},
      {{"-r", "+r"}, &RunSettings::recurse, 1},
      {{"-rv"}, &RunSettings::recurse, 1},
      {{"-rv"}, &RunSettings::quietLevel, 1},
      {{"-v", "-vv"}, &RunSettings::quietLevel, 3},
      {{"-i"}, &RunSettings::immediate, 1},
      {{"-I"}, &RunSettings::immediate, 1},
      {{"-n"}, &RunSettings::nameOnly, 1},
      {{"-n", "+n"}, &RunSettings::nameOnly, 0},
      {{"-n", "-n"}, &RunSettings::nameOnly, 0},
      {{"-N"}, &RunSettings::pathNameOnly, 1},
      {{"-N", "+N"}, &RunSettings::pathNameOnly, 0},
      {{"-M"}, &RunSettings::autoWidth, 1},
      {{"-m"}, &RunSettings::printDateTime, 0},
      {{"-m", "-m"}, &RunSettings::printDateTime, 1},
      {{"-m", "+m"}, &RunSettings::printDateTime, 1},
      {{"-Z"}, &RunSettings::zuluTime, 1},
      {{"-z"}, &RunSettings::zuluTime, 1},
      {{"-S"}, &RunSettings::showStreams, 0},
      {{"-S", "-S"}, &RunSettings::showStreams, 1},
      {{"-S", "+S"}, &RunSettings::showStreams, 1},
      {{"-R"}, &RunSettings::resetTimes, 1},
      {{"-C"}, &RunSettings::createSignature, 1},
      {{"-C"}, &RunSettings::resetTimes, 1},
      {{"-V"}, &RunSettings::verifySignature, 1},
      {{"-V"}, &RunSettings::resetTimes, 0},
      {{"-E"}, &RunSettings::eraseSignature, 1},
      {{"-E"}, &RunSettings::resetTimes, 1},
      {{"-b"}, &RunSettings::bypass512, 1},
      {{"-h"}, &RunSettings::hashAltMode, 1},
      {{"-h"}, &RunSettings::crcMode, 0},
      {{"-h", "-c"}, &RunSettings::crcMode, 1},
      {{"-h", "-c"}, &RunSettings::hashAltMode, 0},
      {{"--hash3", "-c"}, &RunSettings::hashMode3, 0},
      {{"--hash3", "-h"}, &RunSettings::hashMode3, 0},
      {{"-8"}, &RunSettings::print83Name, 1},
      {{"-88"}, &RunSettings::longNameMode, 1},
      {{"-8840"}, &RunSettings::longNameMode, 2},
      {{"-8840E"}, &RunSettings::extensionField, 1},
      {{"-88E"}, &RunSettings::extensionField, 1},
      {{"-8", "-88"}, &RunSettings::print83Name, 0},
      {{"-88", "-8"}, &RunSettings::longNameMode, 0},
      {{"-8840Er"}, &RunSettings::recurse, 1},
      {{"-9"}, &RunSettings::optNine, 1},
      {{"-P"}, &RunSettings::pauseOn, 1},
      {{"-P", "-P"}, &RunSettings::pauseOn, 0},
      {{"-P", "+P"}, &RunSettings::pauseOn, 1},
      {{"-X"}, &RunSettings::optX, 1},
      {{"-Xabc"}, &RunSettings::optX, 2},
      {{"-@"}, &RunSettings::noticeRequested, 1},
      {{"-Y"}, &RunSettings::sortOutput, 1},
      {{"-yn"}, &RunSettings::sortOutput, 1},
      {{"-Ar"}, &RunSettings::attrSelectOn, 1},
      {{"-Ar"}, &RunSettings::attrShowR, 1},
      {{"-A", "hs"}, &RunSettings::attrShowS, 1},
      {{"-Ae"}, &RunSettings::attrShowE, 1},
      {{"-Am"}, &RunSettings::attrShowM, 1},
      {{"-Ad"}, &RunSettings::attrShowDCount, 1},
      {{"-AdD"}, &RunSettings::attrShowDCount, 3},
      {{"-AD"}, &RunSettings::attrShowD, 1},
      {{"-q-h"}, &RunSettings::attrSelectOn, 1},
      {{"-l", "3"}, &RunSettings::dateFilterOn, 1},
      {{"-l3"}, &RunSettings::newerThanOn, 1},
      {{"-g3"}, &RunSettings::olderThanOn, 1},
      {{"-g3"}, &RunSettings::newerThanOn, 0},
      {{"-L", "100"}, &RunSettings::sizeLessOn, 1},
      {{"-G100"}, &RunSettings::sizeGreaterOn, 1},
      {{"-d,"}, &RunSettings::delimiterOn, 1},
      {{"-t3"}, &RunSettings::allThreeTimes, 1},
      {{"-t3", "-t0"}, &RunSettings::allThreeTimes, 0},
      {{"-Z", "-t0"}, &RunSettings::zuluTime, 0},
      {{"-t0"}, &RunSettings::printDateTime, 0},
      {{"-m", "-ta"}, &RunSettings::printDateTime, 1},
      {{"+t"}, &RunSettings::printDateTime, 0},
      {{"-tA"}, &RunSettings::printSeconds, 1},
      {{"-ta"}, &RunSettings::printSeconds, 0},
      {{"-Tw"}, &RunSettings::sortableDate, 1},
      {{"-tw"}, &RunSettings::sortableDate, 0},
      {{"-twr"}, &RunSettings::recurse, 1},
      {{"-o", "out.txt"}, &RunSettings::appendOutput, 0},
      {{"-O", "out.txt"}, &RunSettings::appendOutput, 1},
      {{"-O", "out.txt", "+o"}, &RunSettings::appendOutput, 0},
      {{"-O", "StdOut"}, &RunSettings::appendOutput, 0},
      {{"-w", "40"}, &RunSettings::nameWidthGiven, 40},
      {{"-x", "*.obj"}, &RunSettings::excludeOn, 1},
  };
  for (const Case& c : cases) {
    TestRun p;
    ASSERT_EQ(p.Parse(c.args), -1) << Show(c.args) << p.Messages();
    EXPECT_EQ(p.run.settings.*c.field, c.expected) << Show(c.args);
  }
}

TEST(ParseOptionsTest, CodedValues) {
  struct Case {
    Args args;
    TimeKind timeKind;
    OutputMode outputMode;
  } cases[] = {
      {{"-tc", "+t"}, TimeKind::kWrite, OutputMode::kStandardOutput},
      {{"-ta"}, TimeKind::kAccess, OutputMode::kStandardOutput},
      {{"-t", "c"}, TimeKind::kCreation, OutputMode::kStandardOutput},
      {{"-tA"}, TimeKind::kAccess, OutputMode::kStandardOutput},
      {{"-o", "out.txt"}, TimeKind::kWrite, OutputMode::kFile},
      {{"-O", "out.txt", "+o"}, TimeKind::kWrite, OutputMode::kStandardOutput},
      {{"-o", "stdout"}, TimeKind::kWrite, OutputMode::kNamedStdout},
      {{"-O", "STDOUT"}, TimeKind::kWrite, OutputMode::kNamedStdout},
      {{"--output=stdout"}, TimeKind::kWrite, OutputMode::kNamedStdout},
  };
  for (const Case& c : cases) {
    TestRun p;
    ASSERT_EQ(p.Parse(c.args), -1) << Show(c.args) << p.Messages();
    EXPECT_EQ(p.run.settings.timeKind, c.timeKind) << Show(c.args);
    EXPECT_EQ(p.run.settings.outputMode, c.outputMode) << Show(c.args);
  }
}

TEST(ParseOptionsTest, WidthFromTheWordOrTheNextArgument) {
  struct Case {
    Args args;
    int32_t width;
    int32_t given;
    int32_t level;
  } cases[] = {
      {{}, 35, 35, 1},
      {{"-w40"}, 40, 40, 2},
      {{"-w", "40"}, 40, 40, 2},
      {{"-w0"}, 2600, 0, 2},
      {{"-W", "50"}, 50, 50, 3},
      {{"-w40", "-w50"}, 50, 50, 2},
      {{"-W40", "-w50"}, 50, 50, 3},
      {{"-w40", "+w", "60"}, 60, 60, 1},
      {{"-N"}, 35, 35, 2},
      {{"-W30", "-N"}, 30, 30, 3},
      {{"-w2600"}, 2600, 2600, 2},
  };
  for (const Case& c : cases) {
    TestRun p;
    ASSERT_EQ(p.Parse(c.args), -1) << Show(c.args) << p.Messages();
    EXPECT_EQ(p.run.settings.nameWidth, c.width) << Show(c.args);
    EXPECT_EQ(p.run.settings.nameWidthGiven, c.given) << Show(c.args);
    EXPECT_EQ(p.run.values.nameWidthLevel, c.level) << Show(c.args);
  }
}

TEST(ParseOptionsTest, AWidthSwitchesAutomaticWidthOff) {
  struct Case {
    Args args;
    int32_t autoWidth;
  } cases[] = {
      {{"-M"}, 1},
      {{"-M", "-w40"}, 0},
      {{"-W40", "-M"}, 0},
      {{"-M", "+w", "40"}, 1},
      {{"-M", "-N"}, 1},
  };
  for (const Case& c : cases) {
    TestRun p;
    ASSERT_EQ(p.Parse(c.args), -1) << Show(c.args) << p.Messages();
    EXPECT_EQ(p.run.settings.autoWidth, c.autoWidth) << Show(c.args);
  }
}

TEST(ParseOptionsTest, DelimiterIsACharacterACodeOrPipe) {
  struct Case {
    Args args;
    char delimiter;
  } cases[] = {
      {{"-d|"}, '|'},       {{"-d", "124"}, '|'}, {{"-d124"}, '|'},
      {{"-d", "pipe"}, '|'}, {{"-dPIPE"}, '|'},   {{"-d", ","}, ','},
      {{"-d5"}, '5'},       {{"-d-"}, '-'},       {{"-d", "9"}, '9'},
      {{"-d44"}, ','},
  };
  for (const Case& c : cases) {
    TestRun p;
    ASSERT_EQ(p.Parse(c.args), -1) << Show(c.args) << p.Messages();
    EXPECT_EQ(p.run.values.delimiterChar, c.delimiter) << Show(c.args);
    EXPECT_EQ(p.run.settings.delimiterOn, 1) << Show(c.args);
  }
}

TEST(ParseOptionsTest, ListsTakeWordsUpToTheNextOption) {
  TestRun p;
  ASSERT_EQ(p.Parse({"-p", "A", "B", "-r", "-f", "*.c", "*.h", "+n", "-x", "*.o", "tmp*"}), -1)
      << p.Messages();
  EXPECT_EQ(p.run.values.searchPaths, (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(p.run.settings.recurse, 1);
  EXPECT_EQ(p.run.values.searchTypes, (std::vector<std::string>{"*.c", "*.h"}));
  EXPECT_EQ(p.run.values.excludeTypes, (std::vector<std::string>{"*.O", "TMP*"}));
  EXPECT_EQ(p.run.settings.excludeOn, 1);
}

TEST(ParseOptionsTest, ListStartsInTheRestOfTheWord) {
  TestRun p;
  ASSERT_EQ(p.Parse({"-pA", "B", "-f*.c"}), -1) << p.Messages();
  EXPECT_EQ(p.run.values.searchPaths, (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(p.run.values.searchTypes, (std::vector<std::string>{"*.c"}));
}

TEST(ParseOptionsTest, AbsolutePathsAreNotOptionsOnPosix) {
  if (kSlashStartsOption) GTEST_SKIP() << "a slash introduces options here";
  TestRun p;
  ASSERT_EQ(p.Parse({"/usr/src", "-p", "/tmp", "/var", "-r"}), -1) << p.Messages();
  EXPECT_EQ(p.run.values.searchPaths, (std::vector<std::string>{"/usr/src", "/tmp", "/var"}));
}

TEST(ParseOptionsTest, SlashIntroducesOptionsOnWin32) {
  if (!kSlashStartsOption) GTEST_SKIP() << "a slash begins an absolute path here";
  TestRun p;
  ASSERT_EQ(p.Parse({"/r", "-p", "A", "/v"}), -1) << p.Messages();
  EXPECT_EQ(p.run.settings.recurse, 1);
  EXPECT_EQ(p.run.settings.quietLevel, 1);
  EXPECT_EQ(p.run.values.searchPaths, (std::vector<std::string>{"A"}));
}

TEST(ParseOptionsTest, FileTypeRefusesAPathSeparator) {
  // Win32 takes "/" for a backslash too.
  for (const std::string& separator : {std::string(1, kPathSeparator), std::string("/")}) {
    TestRun p;
    EXPECT_EQ(p.Parse({"-f", "sub" + separator + "*.c"}), kIllegalOption);
    EXPECT_EQ(p.Messages().find("Can't have a " + separator + " in the file type option\n"), 0u)
        << p.Messages();
  }
}

TEST(ParseOptionsTest, BackslashIsPartOfAFileTypeOnPosix) {
  if (kIsWin32) GTEST_SKIP() << "the backslash separates paths here";
  TestRun p;
  ASSERT_EQ(p.Parse({"-f", "a\\b*"}), -1) << p.Messages();
  EXPECT_EQ(p.run.values.searchTypes, (std::vector<std::string>{"a\\b*"}));
}

TEST(ParseOptionsTest, NoTypeGivesEveryFile) {
  TestRun p;
  ASSERT_EQ(p.Parse({"-r"}), -1);
  EXPECT_EQ(p.run.values.searchTypes, (std::vector<std::string>{"*.*"}));
}

TEST(ParseOptionsTest, OutputStdoutKeepsTheListingOnStandardOutput) {
  TestRun p;
  ASSERT_EQ(p.Parse({"-a", "-o", "stdout"}), -1) << p.Messages();
  EXPECT_EQ(p.run.settings.outputMode, OutputMode::kNamedStdout);
  EXPECT_EQ(p.run.settings.appendOutput, 0);
  EXPECT_EQ(p.run.values.outputPath, "");
}

TEST(ParseOptionsTest, OutputNameIsKeptAndItsTemplateExpanded) {
  TestRun p;
  ASSERT_EQ(p.Parse({"-o", "list.txt"}), -1) << p.Messages();
  EXPECT_EQ(p.run.values.outputPath, "list.txt");

  TestRun t;
  ASSERT_EQ(t.Parse({"-oout_COMPUTERNAME.txt"}), -1) << t.Messages();
  EXPECT_EQ(t.run.settings.outputMode, OutputMode::kFile);
  EXPECT_NE(t.run.values.outputPath.find("TESTHOST"), std::string::npos)
      << t.run.values.outputPath;
  EXPECT_EQ(t.run.values.outputPath.find("COMPUTERNAME"), std::string::npos);
}

TEST(ParseOptionsTest, TimeKindsWithSecondsAndYearFirstDates) {
  TestRun w;
  ASSERT_EQ(w.Parse({"-tW"}), -1);
  EXPECT_EQ(w.run.settings.timeKind, TimeKind::kWrite);
  EXPECT_EQ(w.run.settings.printSeconds, 1);
  EXPECT_EQ(w.run.settings.printDateTime, 1);

  TestRun three;
  ASSERT_EQ(three.Parse({"-T3"}), -1);
  EXPECT_EQ(three.run.settings.timeKind, TimeKind::kAllThree);
  EXPECT_EQ(three.run.settings.allThreeTimes, 1);
  EXPECT_EQ(three.run.settings.sortableDate, 1);
  EXPECT_EQ(three.run.settings.printDateTime, 1);
}

TEST(ParseOptionsTest, SizeAndDisplacementValues) {
  TestRun p;
  ASSERT_EQ(p.Parse({"-L", "2147483647", "-G0", "-D", "100,20c"}), -1) << p.Messages();
  EXPECT_EQ(p.run.values.sizeLess, 2147483647);
  EXPECT_EQ(p.run.values.sizeGreater, 0);
  EXPECT_EQ(p.run.values.displacement, 100);
  EXPECT_EQ(p.run.values.displaceEnd, 20);
  EXPECT_EQ(p.run.values.displaceEndKind, 'c');

  TestRun b;
  ASSERT_EQ(b.Parse({"-b"}), -1);
  EXPECT_EQ(b.run.values.displacement, 512);
}

TEST(ParseOptionsTest, AttributeMasksSortKeysAndOptX) {
  TestRun p;
  ASSERT_EQ(p.Parse({"-q", "-hs+r", "-YnA", "-Xtext", "-8850E"}), -1) << p.Messages();
  EXPECT_EQ(p.run.values.attrMaskMinus, 0x2u | 0x4u);
  EXPECT_EQ(p.run.values.attrMaskPlus, 0x1u);
  EXPECT_EQ(p.run.values.sortKeys, (std::vector<int>{1, -1, 999}));
  EXPECT_EQ(p.run.values.sortKeyLetters, "nA");
  EXPECT_EQ(p.run.values.optXText, "text");
  EXPECT_EQ(p.run.values.longNameWidth, 50);

  TestRun reset;
  ASSERT_EQ(reset.Parse({"-q+ae", "-q+N", "-q-0"}), -1) << reset.Messages();
  EXPECT_EQ(reset.run.values.attrMaskPlus, 0x4023u);
  EXPECT_EQ(reset.run.values.attrMaskMinus, 0x4023u);
}

TEST(ParseOptionsTest, NoticeIsPrintedAndTheRunGoesOn) {
  TestRun p;
  ASSERT_EQ(p.Parse({"-@", "-r"}), -1);
  EXPECT_NE(p.Listing().find("CRC-32"), std::string::npos);
  EXPECT_EQ(p.run.settings.recurse, 1);
}

TEST(ParseOptionsTest, QuestionMarkPrintsHelpAndEndsWithReasonFive) {
  TestRun p;
  EXPECT_EQ(p.Parse({"-?"}), kIllegalOption);
  EXPECT_NE(p.Listing().find("Usage"), std::string::npos);
}

TEST(ParseOptionsTest, IllegalOptionPausesTwoSeconds) {
  TestRun p;
  EXPECT_EQ(p.Parse({"-rk"}), kIllegalOption);
  EXPECT_NE(p.Messages().find("\nIllegal option -rk\n"), std::string::npos) << p.Messages();
  EXPECT_EQ(p.sys.sleptMilliseconds, 2000);
}

TEST(ParseOptionsTest, RefusedWithReasonFive) {
  struct Case {
    Args args;
    const char* message;
  } cases[] = {
      {{"-r", "extra"},
       "\nThere appears to be an extra or eroneous item \"extra\"\n"
       "at the end of the command line\n"
       "Please check your syntax, and correct to problem.\n"},
      {{"-k"}, "\nIllegal option -k\n"},
      {{"-r-"}, "\nIllegal option -r-\n"},
      {{"-A"}, "\n-A option needs a modifier [rhms]\n"},
      {{"-A", "-r"}, "\n-A option needs a modifier [rhms]\n"},
      {{"-Ax"}, "\n-A option needs a modifier [rhms]"},
      {{"-d"}, "\nOption -d needs a value\n"},
      {{"-d", "-r"}, "\nOption -d needs a value\n"},
      {{"-w"}, "\nOption -w needs a value\n"},
      {{"-W"}, "\nOption -W needs a value\n"},
      {{"-o"}, "\nOption -o needs a value\n"},
      {{"-o", ""}, "\nOption -o needs a value\n"},
      {{"-1"}, "\nOption -1 needs a value\n"},
      {{"-p"}, "\nOption -p needs a value\n"},
      {{"-p", "-r"}, "\nOption -p needs a value\n"},
      {{"-f"}, "\nOption -f needs a value\n"},
      {{"-x"}, "\nOption -x needs a value\n"},
      {{"-t"}, "\nOption -t needs a value\n"},
      {{"-l"}, "\nOption -l needs a value\n"},
      {{"-g"}, "\nOption -g needs a value\n"},
      {{"-L"}, "\nOption -L needs a value\n"},
      {{"-G"}, "\nOption -G needs a value\n"},
      {{"-D"}, "\nOption -D needs a value\n"},
      {{"-q"}, "\nOption -q needs a value\n"},
      {{"-w", "abc"}, "number from 0 to 2600"},
      {{"-w", "-5"}, "\nOption -w needs a value\n"},
      {{"-w2601"}, "number from 0 to 2600"},
      {{"-w99999999999999999999999"}, "number from 0 to 2600"},
      {{"-w4x"}, "number from 0 to 2600"},
      {{"-L", "12k"}, "size limit"},
      {{"-G", "2147483648"}, "size limit"},
      {{"-l", "x"}, "number of days or a date"},
      {{"-l", "13-01-2020"}, "mm-dd-yyyy"},
      {{"-l", "02-30-2020"}, "mm-dd-yyyy"},
      {{"-g", "01-01-20"}, "mm-dd-yyyy"},
      {{"-g", "01-01-2020x"}, "mm-dd-yyyy"},
      {{"-g", "01--2020"}, "mm-dd-yyyy"},
      {{"-g", "/"}, "mm-dd-yyyy"},
      {{"-D", "1,2x"}, "displacement"},
      {{"-D", ",5"}, "displacement"},
      {{"-d", "256"}, "delimiter"},
      {{"-d", "ab"}, "delimiter"},
      {{"-tx"}, "time option"},
      {{"-t", "ww"}, "time option"},
      {{"-q", "hs"}, "attribute mask"},
      {{"-q-x"}, "attribute mask"},
      {{"-Y1"}, "Sort keys"},
      {{"-880"}, "-88 takes a width"},
      {{"-882601"}, "-88 takes a width"},
      {{"-"}, "\nAn option letter must follow \"-\"\n"},
      {{"+"}, "\nAn option letter must follow \"+\"\n"},
      {{""}, "empty argument"},
      {{"-r", ""}, "empty argument"},
      {{"-p", "A", ""}, "empty argument"},
      {{"-o", std::string(2601, 'x')}, "longer than 2600"},
      {{"-C", "-E"}, "\n-C and -E can't be given together\n"},
      {{"-.ini"}, "needs the name of the INI file"},
      {{"--"}, "\nIllegal option: --"},
      {{"--bogus"}, "\nIllegal option: --bogus"},
      {{"--width=abc"}, "\nIllegal option: --width=abc"},
      {{"--width"}, "\nIllegal option: --width"},
      {{"--recurse=maybe"}, "\nIllegal option: --recurse=maybe"},
      {{"--no-width"}, "\nIllegal option: --no-width"},
      {{"--no-recurse=on"}, "\nIllegal option: --no-recurse=on"},
      {{"--qxr"}, "\nIllegal option: --qxr"},
      {{"--help=1"}, "\nIllegal option: --help=1"},
      {{"--Recurse"}, "\nIllegal option: --Recurse"},
      {{"--check"}, "--check needs at least one file after it"},
      {{"--check", "-v"}, "--check needs at least one file after it"},
      {{"--check=a.txt"}, "--check takes the files after it"},
      {{"--compare", "a.txt"}, "--compare needs 2 files after it"},
      {{"--compare", "a", "b", "c"}, "extra or eroneous item \"c\""},
      {{"--compare", "a", "b", "--compare", "c", "d"}, "--compare compares two listings"},
      {{"--check", "a", "--compare", "b", "c"}, "--check and --compare can't be given together"},
      {{"--sfv", "--check", "a"}, "--sfv can't be given with --check or --compare"},
      {{"--sfv", "-C"}, "-C, -V and -E can't be given with --sfv"},
      {{"--check", "a", "-V"}, "-C, -V and -E can't be given with --sfv"},
      {{"--compare", "a", "b", "-Yn"}, "-Y can't be given with --sfv"},
      {{"--sfv", "-b"}, "-D and -b can't be given with it"},
  };
  for (const Case& c : cases) {
    TestRun p;
    EXPECT_EQ(p.Parse(c.args), kIllegalOption) << Show(c.args);
    EXPECT_NE(p.Messages().find(c.message), std::string::npos)
        << Show(c.args) << "\n" << p.Messages();
  }
}

TEST(ParseOptionsTest, ListingsReadInsteadOfFilesWalked) {
  TestRun check;
  ASSERT_EQ(check.Parse({"--check", "a.txt", "b.sfv", "-v", "--ignore-missing", "-D", "5"}), -1) << check.Messages();
  EXPECT_EQ(check.run.settings.mode, RunMode::kCheck);
  EXPECT_EQ(check.run.values.listingFiles, (std::vector<std::string>{"a.txt", "b.sfv"}));
  EXPECT_EQ(check.run.settings.quietLevel, 1);
  EXPECT_EQ(check.run.settings.ignoreMissing, 1);
  EXPECT_EQ(check.run.values.displacement, 5);

  TestRun compare;
  ASSERT_EQ(compare.Parse({"-v", "--compare", "old.txt", "new.txt"}), -1) << compare.Messages();
  EXPECT_EQ(compare.run.settings.mode, RunMode::kCompare);
  EXPECT_EQ(compare.run.values.listingFiles, (std::vector<std::string>{"old.txt", "new.txt"}));

  // Record layout options don't apply to an SFV file.
  TestRun sfv;
  ASSERT_EQ(sfv.Parse({"-r", "--sfv", "-N", "-M"}), -1) << sfv.Messages();
  EXPECT_EQ(sfv.run.settings.sfvOutput, 1);
  EXPECT_EQ(sfv.run.settings.pathNameOnly, 0);
  EXPECT_EQ(sfv.run.settings.autoWidth, 0);
  EXPECT_EQ(sfv.run.settings.mode, RunMode::kList);
}

TEST(ParseOptionsTest, At128EntriesAListIsFull) {
  struct Case {
    const char* option;
    const char* message;
  } cases[] = {
      {"-x", "\nYou have too many -eXclude file types.\nMax exclude types is 128\n"},
      {"-p", "\nYou have too many search paths.\nMax search paths is 128\n"},
      {"-f", "\nYou have too many file types.\nMax file types is 128\n"},
  };
  for (const Case& c : cases) {
    Args args = {c.option};
    for (int i = 0; i < 128; ++i) {
      // Not "e" + std::to_string(i): GCC 12 at -O3 takes that for an overlapping copy (-Wrestrict).
      const std::string number = std::to_string(i);
      args.push_back("e" + number);
    }
    TestRun full;
    EXPECT_EQ(full.Parse(args), -1) << c.option << full.Messages();

    args.push_back("one-more");
    TestRun over;
    EXPECT_EQ(over.Parse(args), kIllegalOption) << c.option;
    EXPECT_NE(over.Messages().find(c.message), std::string::npos) << over.Messages();
  }
}

TEST(ParseOptionsTest, BareWordsSplitIntoPathsAndTypes) {
  TestRun p;
  p.MakeHome();
  std::string file = p.sys.currentDirectory + "/notes.txt";
  WriteFileText(file, "x");
  ASSERT_EQ(p.Parse({"src/*.cpp", "docs", "*.h", "lib/a?c", "/*.c", file, "-r"}), -1)
      << p.Messages();
  EXPECT_EQ(p.run.values.searchPaths,
            (std::vector<std::string>{"src", "docs", "lib", "/", p.sys.currentDirectory}));
  EXPECT_EQ(p.run.values.searchTypes,
            (std::vector<std::string>{"*.cpp", "*.h", "a?c", "*.c", "notes.txt"}));
}

TEST(ParseOptionsTest, ZuluWithoutTimeColumnsShowsWriteTimes) {
  struct Case {
    Args args;
    int32_t printDateTime;
    TimeKind timeKind;
  } cases[] = {
      {{"-t0", "-Z"}, 1, TimeKind::kWrite},
      {{"+t", "-z"}, 1, TimeKind::kWrite},
      {{"-m", "-Z"}, 1, TimeKind::kWrite},
      {{"-tc", "-Z"}, 1, TimeKind::kCreation},
      {{"-Z", "-t0"}, 0, TimeKind::kNone},
  };
  for (const Case& c : cases) {
    TestRun p;
    ASSERT_EQ(p.Parse(c.args), -1) << Show(c.args);
    EXPECT_EQ(p.run.settings.printDateTime, c.printDateTime) << Show(c.args);
    EXPECT_EQ(p.run.settings.timeKind, c.timeKind) << Show(c.args);
  }
}

TEST(ParseOptionsTest, LongOptionsReachTheSameFields) {
  struct Case {
    Args args;
    int32_t RunSettings::*field;
    int32_t expected;
  } cases[] = {
      {{"--recurse"}, &RunSettings::recurse, 1},
      {{"-r", "--recurse=off"}, &RunSettings::recurse, 0},
      {{"-r", "--no-recurse"}, &RunSettings::recurse, 0},
      {{"--stream=no"}, &RunSettings::showStreams, 0},
      {{"--no-stream"}, &RunSettings::showStreams, 0},
      {{"--no-stream", "--stream"}, &RunSettings::showStreams, 1},
      {{"--alt-hash"}, &RunSettings::hashAltMode, 1},
      {{"--alt-hash"}, &RunSettings::altHashForced, 1},
      {{"--alt-hash-only"}, &RunSettings::crcMode, 0},
      {{"--hash3"}, &RunSettings::hashMode3, 1},
      {{"--no-progress"}, &RunSettings::progressOff, 1},
      {{"--exclude-keep-case"}, &RunSettings::excludeKeepCase, 1},
      {{"--variable"}, &RunSettings::delimiterOn, 1},
      {{"--path=src"}, &RunSettings::longOptPathSet, 1},
      {{"--quiet"}, &RunSettings::quietLevel, 1},
      {{"-vv", "--quiet"}, &RunSettings::quietLevel, 2},
      {{"-v", "--quiet=off"}, &RunSettings::quietLevel, 0},
      {{"--immediate"}, &RunSettings::immediate, 1},
      {{"--append"}, &RunSettings::appendOutput, 1},
      {{"--width=60"}, &RunSettings::nameWidth, 60},
      {{"--time=A"}, &RunSettings::printSeconds, 1},
      {{"--zulu"}, &RunSettings::zuluTime, 1},
      {{"--reset-times"}, &RunSettings::resetTimes, 1},
      {{"--create-signature"}, &RunSettings::resetTimes, 1},
      {{"--create-signature"}, &RunSettings::createSignature, 1},
      {{"--create-signature", "--no-create-signature"}, &RunSettings::createSignature, 0},
      {{"--create-signature", "--no-create-signature"}, &RunSettings::resetTimes, 1},
      {{"--erase-signature"}, &RunSettings::eraseSignature, 1},
      {{"--erase-signature"}, &RunSettings::resetTimes, 1},
      {{"--erase-signature=off"}, &RunSettings::resetTimes, 0},
      {{"--size-greater=10"}, &RunSettings::sizeGreaterOn, 1},
      {{"--size-less=10"}, &RunSettings::sizeLessOn, 1},
      {{"--newer=3"}, &RunSettings::newerThanOn, 1},
      {{"--older=3"}, &RunSettings::olderThanOn, 1},
      {{"--delimiter=pipe"}, &RunSettings::delimiterOn, 1},
      {{"--skip-512"}, &RunSettings::bypass512, 1},
      {{"--attributes=rh"}, &RunSettings::attrShowH, 1},
      {{"--sort"}, &RunSettings::sortOutput, 1},
      {{"--long-name=20E"}, &RunSettings::longNameMode, 2},
      {{"--dos-name"}, &RunSettings::print83Name, 1},
      {{"--notice"}, &RunSettings::noticeRequested, 1},
      {{"--sortable-date"}, &RunSettings::sortableDate, 1},
  };
  for (const Case& c : cases) {
    TestRun p;
    ASSERT_EQ(p.Parse(c.args), -1) << Show(c.args) << p.Messages();
    EXPECT_EQ(p.run.settings.*c.field, c.expected) << Show(c.args);
  }
}

TEST(ParseOptionsTest, VariableWidthTurnsABlankDelimiterIntoAPipe) {
  TestRun blank;
  ASSERT_EQ(blank.Parse({"--variable"}), -1);
  EXPECT_EQ(blank.run.values.delimiterChar, '|');

  TestRun comma;
  ASSERT_EQ(comma.Parse({"-d,", "--variable"}), -1);
  EXPECT_EQ(comma.run.values.delimiterChar, ',');
}

TEST(ParseOptionsTest, ExclusionsKeepTheirCaseOnlyWhenAsked) {
  TestRun upper;
  ASSERT_EQ(upper.Parse({"-x", "*.Obj", "--exclude=tmp"}), -1);
  EXPECT_EQ(upper.run.values.excludeTypes, (std::vector<std::string>{"*.OBJ", "TMP"}));

  TestRun kept;
  ASSERT_EQ(kept.Parse({"-x", "*.Obj", "--exclude-keep-case"}), -1);
  EXPECT_EQ(kept.run.values.excludeTypes, (std::vector<std::string>{"*.Obj"}));
}

// An unknown long name gets one line; a known one refused also says why.
TEST(ParseOptionsTest, RefusedLongOptionSaysWhyOnlyWhenItIsKnown) {
  TestRun unknown;
  EXPECT_EQ(unknown.Parse({"--versio"}), kIllegalOption);
  EXPECT_NE(unknown.Messages().find("\nIllegal option: --versio\n\nAbnormal"), std::string::npos)
      << unknown.Messages();

  TestRun known;
  EXPECT_EQ(known.Parse({"--width"}), kIllegalOption);
  EXPECT_NE(known.Messages().find("\nIllegal option: --width\nwidth needs a value\n"), std::string::npos)
      << known.Messages();
}

TEST(ParseOptionsTest, HelpLongOptionEndsWithStatusZeroAndNoSummary) {
  TestRun p;
  EXPECT_EQ(p.Parse({"--help"}), kNormalExit);
  EXPECT_NE(p.Listing().find("Usage"), std::string::npos);
  EXPECT_EQ(p.Messages().find("Elapsed"), std::string::npos) << p.Messages();
}

TEST(ParseOptionsTest, AccountingFileFromTheOption) {
  TestRun p;
  p.MakeHome();
  std::string first = p.sys.currentDirectory + "/first.log";
  std::string second = p.sys.currentDirectory + "/second.log";
  ASSERT_EQ(p.Parse({"-1", first, "-1" + second}), -1) << p.Messages();
  EXPECT_EQ(p.run.settings.accountingOn, 1);
  EXPECT_EQ(p.run.values.accountingPath, second);
  EXPECT_NE(ReadFileText(first).find("Accounting file overridden by option -1 file pointing to " +
                                      second + "\n"),
            std::string::npos);

  TestRun off;
  off.MakeHome();
  ASSERT_EQ(off.Parse({"-1", off.sys.currentDirectory + "/x.log", "+1"}), -1);
  EXPECT_EQ(off.run.settings.accountingOn, 0);
  EXPECT_EQ(off.run.accounting, nullptr);
}

TEST(ParseOptionsTest, UnopenableAccountingFileIsRefused) {
  TestRun p;
  EXPECT_EQ(p.Parse({"-1", "/nonexistent-dir/x.log"}), kIllegalOption);
  EXPECT_EQ(p.run.settings.accountingOn, 0);
}

TEST(ParseOptionsTest, LogBesideOutputOpensTheOutputNameWithLog) {
  TestRun p;
  p.MakeHome();
  std::string out = p.sys.currentDirectory + "/list.txt";
  ASSERT_EQ(p.Parse({"-o", out, "--log-beside-output"}), -1) << p.Messages();
  EXPECT_EQ(p.run.settings.accountingOn, 1);
  EXPECT_EQ(p.run.values.accountingPath, out + ".log");
  EXPECT_NE(p.run.accounting, nullptr);

  TestRun console;
  ASSERT_EQ(console.Parse({"--log-beside-output"}), -1);
  EXPECT_EQ(console.run.accounting, nullptr);
}

TEST(ParseOptionsTest, AccountingVariableOpensTheLog) {
  TestRun p;
  p.MakeHome();
  std::string log = p.sys.currentDirectory + "/acct.log";
  p.sys.environment["ACCT"] = log;
  ASSERT_EQ(p.Parse({}), -1) << p.Messages();
  EXPECT_EQ(p.run.settings.accountingOn, 1);
  EXPECT_EQ(p.run.values.accountingPath, log);

  TestRun stale;
  stale.sys.environment["ACCT"] = "/nonexistent-dir/acct.log";
  EXPECT_EQ(stale.Parse({}), -1);
  EXPECT_EQ(stale.run.settings.accountingOn, 0);
  EXPECT_NE(stale.Messages().find("/nonexistent-dir/acct.log"), std::string::npos);
}

TEST(ParseOptionsTest, SourcesOverrideInOrder) {
  // environment < ACCT < INI < command line
  TestRun p;
  p.MakeHome();
  std::string dir = p.sys.currentDirectory + "/";
  p.sys.environment["SILENT"] = "on";
  p.sys.environment["ACCT"] = dir + "from_acct.log";
  WriteFileText(dir + "korven.ini",
                 "[KORVEN]\nquiet=off\nwidth=50\naccounting=" + dir + "from_ini.log\n"
                 "recurse=on\ntime=c\n");
  p.ApplyDefaults();
  ASSERT_EQ(p.run.settings.quietLevel, 1);

  ASSERT_EQ(p.Parse({"-w60", "-r"}), -1) << p.Messages();
  EXPECT_EQ(p.run.settings.quietLevel, 0);    // INI over environment
  EXPECT_EQ(p.run.values.accountingPath, dir + "from_ini.log");  // INI over ACCT
  EXPECT_NE(ReadFileText(dir + "from_acct.log").find("This file closed.\n"), std::string::npos);
  EXPECT_EQ(p.run.settings.nameWidth, 60);    // command line over INI
  EXPECT_EQ(p.run.settings.recurse, 0);       // -r toggles the INI's on
  EXPECT_EQ(p.run.settings.timeKind, TimeKind::kCreation);    // INI over built-in
}

TEST(ParseOptionsTest, NamedIniFileIsSkippedByTheRestOfTheParsing) {
  TestRun p;
  p.MakeHome();
  std::string ini = p.sys.currentDirectory + "/other.cfg";
  WriteFileText(ini, "[korven]\nrecurse=1\n");
  WriteFileText(p.sys.currentDirectory + "/korven.ini", "[KORVEN]\nzulu=1\n");
  ASSERT_EQ(p.Parse({"src", "-.ini", ini, "-v"}), -1) << p.Messages();
  EXPECT_EQ(p.run.settings.recurse, 1);
  EXPECT_EQ(p.run.settings.zuluTime, 0);  // the file found by name is not read
  EXPECT_EQ(p.run.settings.quietLevel, 1);
  EXPECT_EQ(p.run.values.searchPaths, (std::vector<std::string>{"src"}));
  EXPECT_EQ(p.run.values.iniPath, ini);
}

TEST(ParseOptionsTest, NothingCrashesTheParser) {
  // Every short option letter, alone, at the end, and followed by odd words;
  // "-1 +" opens an accounting file named "+" in the current directory.
  TempDir dir;
  dir.Enter();
  const std::string letters = "aoO1pfxriIvnNwWMmtTZzSRCVEbDdchlgLG8AqYyX9P@?";
  const Args tails[] = {{}, {"-"}, {""}, {"--"}, {"-?"}, {"+"}, {"999999999999999999999"}};
  for (char prefix : std::string("-+")) {
    for (char letter : letters) {
      for (const Args& tail : tails) {
        Args args = {std::string(1, prefix) + letter};
        args.insert(args.end(), tail.begin(), tail.end());
        TestRun p;
        int status = p.Parse(args);
        EXPECT_TRUE(status == -1 || status == kIllegalOption || status == kNormalExit) << Show(args);
      }
    }
  }
}

}  // namespace
}  // namespace korven
