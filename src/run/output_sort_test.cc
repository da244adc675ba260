#include "run/output_sort.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/run.h"
#include "run/run_settings.h"
#include "run/terminate.h"
#include "testing/fake_system.h"
#include "testing/memory_file_system.h"
#include "testing/temp_dir.h"

namespace korven {
namespace {

// Records of width 10 with the default blanks: name, CRC-32, size, date, time, zone.
const char kAlpha[] = "/B/ALPHA   0000000A          30 03/07/2008 14:05w UTC \n";
const char kBeta[] = "/A/BETA    FFFFFFFF           5 12/31/2007 23:59w UTC \n";
const char kGamma[] = "/C/GAMMA   12345678        1000 03/07/2008 09:00w UTC \n";
const char kDelta[] = "/A/DELTA   CRCERROR          30 01/01/2009 00:00w UTC \n";
const char kSummary[] =
    "\n  1 directory, 4 files, 1,065 bytes: \n  Elapsed:  0 hrs. 0 mins. 0 secs.\n\n";

std::string Listing() { return std::string(kAlpha) + kBeta + kGamma + kDelta + kSummary; }

RecordLayout WidthTen() {
  RecordLayout layout;
  layout.nameWidth = 10;
  return layout;
}

struct SortCase {
  std::vector<SortKey> keys;
  std::vector<const char*> order;
};

class SortedListingTest : public testing::TestWithParam<SortCase> {};

TEST_P(SortedListingTest, SortsRecordsAndKeepsTheSummaryLast) {
  std::string expected;
  for (const char* record : GetParam().order) expected += record;
  expected += kSummary;
  EXPECT_EQ(SortedListing(Listing(), GetParam().keys, WidthTen()), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, SortedListingTest,
    testing::Values(
        // No key: the whole line.
        SortCase{{}, {kBeta, kDelta, kAlpha, kGamma}},
        SortCase{{{'n', false}}, {kBeta, kDelta, kAlpha, kGamma}},
        SortCase{{{'n', true}}, {kGamma, kAlpha, kDelta, kBeta}},
        SortCase{{{'c', false}}, {kAlpha, kGamma, kDelta, kBeta}},
        // Sizes compare as numbers; equal sizes keep their order.
        SortCase{{{'s', false}}, {kBeta, kAlpha, kDelta, kGamma}},
        SortCase{{{'s', true}}, {kGamma, kAlpha, kDelta, kBeta}},
        // Dates compare by year first, then by time of day.
        SortCase{{{'d', false}}, {kBeta, kGamma, kAlpha, kDelta}},
        SortCase{{{'d', true}}, {kDelta, kAlpha, kGamma, kBeta}},
        // A second key orders what the first leaves equal.
        SortCase{{{'s', false}, {'n', false}}, {kBeta, kDelta, kAlpha, kGamma}}));

TEST(SortedListingEdgeTest, SortableDatesAndSecondsCompareToo) {
  std::string early = "/X        00000000           1 2008/03/07 14:05:09w UTC \n";
  std::string late = "/Y        00000000           1 2008/03/07 14:05:10w UTC \n";
  EXPECT_EQ(SortedListing(late + early, {{'d', false}}, WidthTen()), early + late);
}

TEST(SortedListingEdgeTest, DelimiterBetweenFields) {
  RecordLayout layout = WidthTen();
  layout.delimiter = ',';
  std::string big = "/BIG      ,00000000,        900,03/07/2008,14:05w,UTC,\n";
  std::string small = "/SMALL    ,00000000,         80,03/07/2008,14:05w,UTC,\n";
  EXPECT_EQ(SortedListing(big + small, {{'s', false}}, layout), small + big);
}

TEST(SortedListingEdgeTest, VariableWidthNameEndsAtTheDelimiter) {
  RecordLayout layout;
  layout.nameWidth = 3;  // the last record's width, not every record's
  layout.variableWidth = true;
  layout.delimiter = '|';
  std::string longName = "/LONGER/NAME|00000000|         1|\n";
  std::string shortName = "/A|00000000|         2|\n";
  EXPECT_EQ(SortedListing(shortName + longName, {{'n', true}}, layout), longName + shortName);
  EXPECT_EQ(SortedListing(longName + shortName, {{'s', true}}, layout), shortName + longName);
}

TEST(SortedListingEdgeTest, LastLineWithoutNewlineStaysSo) {
  std::string autowidth = std::string(kGamma) + kAlpha + "\n AUTOWIDTH -Mw= 10";
  EXPECT_EQ(SortedListing(autowidth, {}, WidthTen()),
            std::string(kAlpha) + kGamma + "\n AUTOWIDTH -Mw= 10");
}

TEST(SortedListingEdgeTest, EmptyListingStaysEmpty) {
  EXPECT_EQ(SortedListing("", {{'n', false}}, WidthTen()), "");
}

TEST(SortKeysOfTest, LettersGiveFieldsAndDirections) {
  OptionValues values;
  values.sortKeyLetters = "sXN";
  values.sortKeys = {1, -1, -1, 999};
  std::vector<SortKey> keys = SortKeysOf(values);
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0].field, 's');
  EXPECT_FALSE(keys[0].descending);
  EXPECT_EQ(keys[1].field, 'n');
  EXPECT_TRUE(keys[1].descending);
}

TEST(SortKeysOfTest, LetterCaseStandsInForMissingDirections) {
  OptionValues values;
  values.sortKeyLetters = "dC";
  std::vector<SortKey> keys = SortKeysOf(values);
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_FALSE(keys[0].descending);
  EXPECT_TRUE(keys[1].descending);
}

class SortOutputFileTest : public testing::Test {
 protected:
  SortOutputFileTest() {
    run.values.outputPath = path;
    run.settings.nameWidth = 10;
    run.settings.sortOutput = 1;
    run.terminating = true;  // Terminate calls the sort
  }
  TempDir dir;
  const std::string path = dir.Path() + "list.txt";
  MemoryFileSystem fileSystem;
  FakeSystem system;
  korven::Run run{fileSystem, system};
};

TEST_F(SortOutputFileTest, RewritesTheFileInKeyOrder) {
  WriteFileText(path, Listing());
  run.values.sortKeyLetters = "S";
  run.values.sortKeys = {-1, 999};
  testing::internal::CaptureStderr();
  SortOutputFile(run);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "\n\nSORTING OUTPUT\n\n\n");
  EXPECT_EQ(ReadFileText(path), std::string(kGamma) + kAlpha + kDelta + kBeta + kSummary);
}

TEST_F(SortOutputFileTest, MissingFileEndsWithReasonTwo) {
  testing::internal::CaptureStderr();
  int status = -1;
  try {
    SortOutputFile(run);
  } catch (const RunEnded& ended) {
    status = ended.status;
  }
  std::string message = testing::internal::GetCapturedStderr();
  EXPECT_EQ(status, kInputFile);
  EXPECT_NE(message.find("can't read output file " + path + " for sorting\n"),
            std::string::npos)
      << message;
}

}  // namespace
}  // namespace korven
