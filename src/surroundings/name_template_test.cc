#include "surroundings/name_template.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/path.h"
#include "platform/system.h"
#include "run/run.h"
#include "run/terminate.h"
#include "testing/memory_file_system.h"
#include "testing/fake_system.h"

namespace korven {
namespace {

// Paths in the tests are written with '/' and turned into the platform's form.
std::string Native(std::string path) {
  for (char& c : path) {
    if (c == '/') c = kPathSeparator;
  }
  return path;
}

// 14:05:09 local time on Friday 7 March 2008.
CivilTime MarchSeventh() {
  CivilTime t;
  t.year = 2008;
  t.month = 3;
  t.day = 7;
  t.hour = 14;
  t.minute = 5;
  t.second = 9;
  t.weekday = 5;
  return t;
}

struct ExpansionCase {
  const char* path;
  const char* expected;
};

class ExpandedNameTest : public testing::TestWithParam<ExpansionCase> {};

TEST_P(ExpandedNameTest, RewritesFromTheTemplateStart) {
  EXPECT_EQ(ExpandedName(Native(GetParam().path), MarchSeventh(), "TESTHOST"),
            Native(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ExpandedNameTest,
    testing::Values(
        // The examples of the rule.
        ExpansionCase{"D:/out/MMDD.txt", "D:/out/0307.txt"},
        ExpansionCase{"D:/out/YYYYMMDDhh.txt", "D:/out/20080307_14.txt"},
        ExpansionCase{"D:/logs/YYMM", "D:/logs/0803"},
        ExpansionCase{"D:/out/YYMM.LOG", "D:/out/0803.LOG"},
        // Characters between tokens are not copied.
        ExpansionCase{"D:/out/YYMM-DD.txt", "D:/out/080307.txt"},
        ExpansionCase{"D:/out/MMDD_x_HH.txt", "D:/out/0307_14.txt"},
        // The search order decides, not the position: MMDD before YYYY before YYMM.
        ExpansionCase{"D:/YYMM/x/MMDD.txt", "D:/YYMM/x/0307.txt"},
        ExpansionCase{"D:/YYMM/YYYY.txt", "D:/YYMM/2008.txt"},
        // COMPUTERNAME starts the template itself when no separator token is there.
        ExpansionCase{"D:/out/list-COMPUTERNAME.txt", "D:/out/list-TESTHOST.txt"},
        ExpansionCase{"D:/out/MMDDCOMPUTERNAME.txt", "D:/out/0307TESTHOST.txt"},
        // The extension starts at the first dot anywhere, a directory's too.
        ExpansionCase{"D:/my.dir/MMDD", "D:/my.dir/0307.dir/MMDD"},
        // The extension is scanned as well as kept.
        ExpansionCase{"D:/out/MMDD.DD", "D:/out/030707.DD"},
        // Hours in either case, minutes in lower case.
        ExpansionCase{"D:/YYYYHHmm", "D:/2008_1405"},
        // Without a template the name stays as it is.
        ExpansionCase{"D:/out/list.txt", "D:/out/list.txt"},
        ExpansionCase{"D:/out/mmdd.txt", "D:/out/mmdd.txt"},
        ExpansionCase{"D:/outYYMM.txt", "D:/outYYMM.txt"}));

TEST(ExpandedNameEdgeTest, UnknownComputerNameYieldsNothing) {
  EXPECT_EQ(ExpandedName(Native("D:/COMPUTERNAME.txt"), MarchSeventh(), ""), Native("D:/.txt"));
}

TEST(ExpandedNameEdgeTest, ComputerNameIsCutAt260Bytes) {
  std::string name(300, 'N');
  EXPECT_EQ(ExpandedName("COMPUTERNAME", MarchSeventh(), name), std::string(260, 'N'));
}

struct DetectionCase {
  const char* path;
  bool hasTemplate;
  bool wantsGmt;
};

class NameTemplateDetectionTest : public testing::TestWithParam<DetectionCase> {};

TEST_P(NameTemplateDetectionTest, FindsTemplateAndZone) {
  std::string path = Native(GetParam().path);
  EXPECT_EQ(HasNameTemplate(path), GetParam().hasTemplate);
  EXPECT_EQ(NameTemplateWantsGmt(path), GetParam().wantsGmt);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, NameTemplateDetectionTest,
    testing::Values(DetectionCase{"D:/out/YYMM.LOG", true, true},
                    DetectionCase{"D:/out/YYMM.log", true, false},   // lowercase g is local
                    DetectionCase{"G:/out/MMDD.txt", true, false},   // G before the start
                    DetectionCase{"D:/Gold/MMDD.txt", true, false},  // likewise
                    DetectionCase{"D:/out/MMDDG", true, true},
                    DetectionCase{"D:/out/COMPUTERNAME.txt", true, false},
                    DetectionCase{"D:/out/YYYY", true, false},
                    DetectionCase{"D:/out/computername.LOG", false, false},
                    DetectionCase{"D:/out/MMDD", true, false}));

TEST(NameTemplateStartTest, StartKeepsTheSeparatorInThePrefix) {
  EXPECT_EQ(NameTemplateStart(Native("D:/out/MMDD")), 7u);
  EXPECT_EQ(NameTemplateStart(Native("ab-COMPUTERNAME")), 3u);
  EXPECT_EQ(NameTemplateStart(Native("D:/out/list")), std::string::npos);
}

class ExpandNameTemplateTest : public testing::Test {
 protected:
  ExpandNameTemplateTest() {
    // 13:05 UTC; local time runs an hour ahead.
    system.now = 1204898700 - 3600;
    system.utcOffsetMinutes = 60;
  }

  MemoryFileSystem fileSystem;
  FakeSystem system;
  korven::Run run{fileSystem, system};
};

TEST_F(ExpandNameTemplateTest, ReadsTheClockOnceInLocalTime) {
  std::string path = Native("D:/out/YYYYMMDDhhmm.log");
  ExpandNameTemplate(run, path);
  EXPECT_EQ(path, Native("D:/out/20080307_1405.log"));
  EXPECT_EQ(system.nowCalls, 1);
}

TEST_F(ExpandNameTemplateTest, UppercaseGSelectsGmt) {
  std::string path = Native("D:/out/YYMMhh.LOG");
  ExpandNameTemplate(run, path);
  EXPECT_EQ(path, Native("D:/out/0803_13.LOG"));
}

TEST_F(ExpandNameTemplateTest, AsksForTheComputerName) {
  system.computerName = "BUILDBOX";
  std::string path = Native("D:/COMPUTERNAME-MMDD.txt");
  ExpandNameTemplate(run, path);
  EXPECT_EQ(path, Native("D:/BUILDBOX0307.txt"));
}

TEST_F(ExpandNameTemplateTest, NameWithoutTemplateIsLeftAlone) {
  std::string path = Native("D:/out/list.txt");
  ExpandNameTemplate(run, path);
  EXPECT_EQ(path, Native("D:/out/list.txt"));
  EXPECT_EQ(system.nowCalls, 0);
}

TEST_F(ExpandNameTemplateTest, OverlongResultEndsTheRunWithReasonFive) {
  testing::internal::CaptureStderr();
  // 3 + 2590 + 8 = 2601 bytes once the computer name is in.
  std::string path = Native("D:/") + std::string(2590, 'x') + "COMPUTERNAME";
  int status = -1;
  try {
    ExpandNameTemplate(run, path);
  } catch (const RunEnded& ended) {
    status = ended.status;
  }
  std::string message = testing::internal::GetCapturedStderr();
  EXPECT_EQ(status, kIllegalOption);
  EXPECT_NE(message.find("longer than 2600 characters"), std::string::npos) << message;
}

TEST_F(ExpandNameTemplateTest, ResultOfExactly2600BytesIsAccepted) {
  std::string path = Native("D:/") + std::string(2589, 'x') + "COMPUTERNAME";
  ExpandNameTemplate(run, path);
  EXPECT_EQ(path.size(), 2600u);
}

}  // namespace
}  // namespace korven
