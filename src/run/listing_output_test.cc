#include "run/listing_output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/path.h"
#include "run/run.h"
#include "run/run_settings.h"
#include "run/terminate.h"
#include "testing/fake_system.h"
#include "testing/memory_file_system.h"
#include "testing/temp_dir.h"

namespace korven {
namespace {

namespace fs = std::filesystem;

struct RecordLengthCase {
  int nameWidth;
  TimeKind timeKind;
  int print83Name;
  int longNameMode;  // with its width of 20 in mode 2
  int extensionField;
  int expected;
};

class ListingRecordLengthTest : public testing::TestWithParam<RecordLengthCase> {};

TEST_P(ListingRecordLengthTest, AddsTheFieldsInUse) {
  RunSettings settings;
  OptionValues values;
  settings.nameWidth = GetParam().nameWidth;
  settings.timeKind = GetParam().timeKind;
  settings.print83Name = GetParam().print83Name;
  settings.longNameMode = GetParam().longNameMode;
  settings.extensionField = GetParam().extensionField;
  values.longNameWidth = 20;
  EXPECT_EQ(ListingRecordLength(settings, values), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ListingRecordLengthTest,
    testing::Values(RecordLengthCase{35, TimeKind::kWrite, 0, 0, 0, 82},  // the defaults
                    RecordLengthCase{35, TimeKind::kAllThree, 1, 0, 0, 35 + 22 + 59 + 17 + 1},  // -t3 -8
                    RecordLengthCase{35, TimeKind::kNone, 0, 0, 0, 35 + 22 + 1},
                    RecordLengthCase{35, TimeKind::kAccess, 1, 0, 0, 35 + 22 + 24 + 17 + 1},
                    RecordLengthCase{60, TimeKind::kCreation, 0, 0, 0, 60 + 22 + 24 + 1},
                    RecordLengthCase{35, TimeKind::kWrite, 0, 2, 1, 82 + 4 + 21},  // -8820E
                    RecordLengthCase{35, TimeKind::kWrite, 0, 1, 0, 82}));  // -88: added after counting

// The exit status of `body`, which must end the run; -1 when it returns.
int StatusOf(const std::function<void()>& body) {
  try {
    body();
  } catch (const RunEnded& ended) {
    return ended.status;
  }
  return -1;
}

class ListingOutputTest : public testing::Test {
 protected:
  ListingOutputTest() {
    run.settings.nameWidth = 35;
    run.settings.timeKind = TimeKind::kWrite;
  }

  void NameOutput(const fs::path& path, bool append) {
    run.settings.outputMode = OutputMode::kFile;
    run.settings.appendOutput = append;
    run.values.outputPath = path.string();
  }

  TempDir temp;
  const fs::path dir{temp.Path()};
  MemoryFileSystem fileSystem;
  FakeSystem system;
  korven::Run run{fileSystem, system};
};

TEST_F(ListingOutputTest, WithoutOutputFileTheListingStaysOnStandardOutput) {
  OpenListingOutput(run);
  EXPECT_EQ(run.listing, stdout);
  EXPECT_FALSE(run.listingIsFile);
  EXPECT_EQ(run.values.recordLength, 82);
  EXPECT_EQ(run.counters.accumulatedRecordLength, 82);
  EXPECT_EQ(run.outputDriveIndex, -1);
}

TEST_F(ListingOutputTest, NamedFileIsReplaced) {
  fs::path path = dir / "list.txt";
  WriteFileText(path, "old contents\n");
  NameOutput(path, false);
  OpenListingOutput(run);
  ASSERT_TRUE(run.listingIsFile);
  fputs("new record\n", run.listing);
  fclose(run.listing);
  run.listingIsFile = false;
  EXPECT_EQ(ReadFileText(path), "new record\n");
}

TEST_F(ListingOutputTest, AppendKeepsWhatTheFileHeld) {
  fs::path path = dir / "list.txt";
  WriteFileText(path, "old contents\n");
  NameOutput(path, true);
  OpenListingOutput(run);
  ASSERT_TRUE(run.listingIsFile);
  fputs("new record\n", run.listing);
  fclose(run.listing);
  run.listingIsFile = false;
  EXPECT_EQ(ReadFileText(path), "old contents\nnew record\n");
}

TEST_F(ListingOutputTest, SortedOutputGetsNoHeader) {
  NameOutput(dir / "list.txt", false);
  run.settings.sortOutput = 1;
  OpenListingOutput(run);
  EXPECT_EQ(run.settings.quietLevel, 1);
}

TEST_F(ListingOutputTest, DriveLetterGivesTheDriveIndex) {
  temp.Enter();  // on POSIX "b:list.txt" is a file in the current directory
  NameOutput("b:list.txt", false);
  OpenListingOutput(run);
  EXPECT_EQ(run.outputDriveIndex, kHasDriveLetters ? 1 : -1);
}

struct OpenFailureCase {
  bool append;
  const char* message;
};

class ListingOutputOpenFailureTest : public ListingOutputTest,
                                     public testing::WithParamInterface<OpenFailureCase> {};

TEST_P(ListingOutputOpenFailureTest, EndsWithStatusThreeAndNoSummary) {
  std::string path = (dir / "missing" / "list.txt").string();
  NameOutput(path, GetParam().append);
  testing::internal::CaptureStderr();
  int status = StatusOf([this] { OpenListingOutput(run); });
  std::string message = testing::internal::GetCapturedStderr();
  EXPECT_EQ(status, kOutputFile);
  EXPECT_EQ(message.rfind(GetParam().message + path + "\nFILE: run/listing_output, LINE ", 0), 0u)
      << message;
  EXPECT_EQ(message.find("bytes"), std::string::npos) << "no summary: " << message;
  EXPECT_FALSE(run.listingIsFile);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, ListingOutputOpenFailureTest,
    testing::Values(OpenFailureCase{false, "\ncan't create output file "},
                    OpenFailureCase{true, "\ncan't open output file "}));

class AppendWithoutOutputFileTest : public ListingOutputTest,
                                    public testing::WithParamInterface<OutputMode> {};

TEST_P(AppendWithoutOutputFileTest, IsAnOptionError) {
  run.settings.outputMode = GetParam();
  run.settings.appendOutput = 1;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  int status = StatusOf([this] { OpenListingOutput(run); });
  std::string out = testing::internal::GetCapturedStdout();
  std::string message = testing::internal::GetCapturedStderr();
  EXPECT_EQ(status, kIllegalOption);
  EXPECT_EQ(out.rfind("\n\tNeed output file name if -a is chosen\n", 0), 0u) << out;
  EXPECT_NE(message.find("ILLEGAL or INCOMPLETE OPTION"), std::string::npos) << message;
}

// No name at all, and "stdout" named.
INSTANTIATE_TEST_SUITE_P(OutputModes, AppendWithoutOutputFileTest,
                         testing::Values(OutputMode::kStandardOutput, OutputMode::kNamedStdout));

TEST_F(ListingOutputTest, NoEstimateOffRemovableDisks) {
  NameOutput(dir / "list.txt", false);
  OpenListingOutput(run);
  EstimateRecordsPerDisk(run);
  EXPECT_TRUE(fileSystem.diskFreeQueries.empty());
  EXPECT_EQ(run.counters.recordsPerDisk, 0);
  EXPECT_FALSE(OutputDiskFull(run));
}

TEST_F(ListingOutputTest, DiskFreeAsksForTheDriveRoot) {
  fileSystem.freeBytes = 123456;
  EXPECT_EQ(DiskFree(run, 'B'), 123456u);
  ASSERT_EQ(fileSystem.diskFreeQueries.size(), 1u);
  EXPECT_EQ(fileSystem.diskFreeQueries[0], "B:\\");
}

TEST_F(ListingOutputTest, DiskFreeFailureEndsWithReasonThree) {
  fileSystem.diskFreeFails = true;
  testing::internal::CaptureStderr();
  int status = StatusOf([this] { DiskFree(run, 'A'); });
  std::string message = testing::internal::GetCapturedStderr();
  EXPECT_EQ(status, kOutputFile);
  EXPECT_EQ(message.rfind("can't get disk free space\n", 0), 0u) << message;
}

// A listing on drive A:, a drive the test stands in for with a temporary file
// and a fake free-space figure.
class RemovableDiskTest : public ListingOutputTest {
 protected:
  RemovableDiskTest() {
    path = dir / "list.txt";
    NameOutput(path, false);
    OpenListingOutput(run);
    run.outputDriveIndex = 0;
    fileSystem.freeBytes = RoomFor(100);
  }

  // Free bytes for `records` records of 82 characters and the reserve, with
  // some bytes to spare that hold no whole record.
  static uint64_t RoomFor(int records) { return 4096 + 82 * records + 50; }

  // What the file processor does for each record it lists.
  void ListRecords(int count) {
    for (int i = 0; i < count; ++i) {
      ++listed;
      fprintf(run.listing, "%-80d \n", listed);
      ++run.counters.listedFiles;
      run.counters.listedBytes += 1000;
      ++run.counters.lineCount;
      if (OutputDiskFull(run)) ContinueOnNewDisk(run);
    }
  }

  static std::string Records(int first, int last) {
    std::string text;
    char line[100];
    for (int i = first; i <= last; ++i) {
      snprintf(line, sizeof line, "%-80d \n", i);
      text += line;
    }
    return text;
  }

  fs::path path;
  int listed = 0;
};

TEST_F(RemovableDiskTest, EstimateCountsRecordsThatFit) {
  EstimateRecordsPerDisk(run);
  EXPECT_EQ(run.counters.recordsPerDisk, 100);
  EXPECT_EQ(run.counters.lineCount, 1);
  ASSERT_EQ(fileSystem.diskFreeQueries.size(), 1u);
  EXPECT_EQ(fileSystem.diskFreeQueries[0], "A:\\");
}

TEST_F(RemovableDiskTest, EstimateOfAFullDiskIsNoRecords) {
  fileSystem.freeBytes = 1000;
  EstimateRecordsPerDisk(run);
  EXPECT_EQ(run.counters.recordsPerDisk, 0);
}

TEST_F(RemovableDiskTest, ListingGoesOnInANewFileAfterTheHundredthRecord) {
  std::vector<std::string> fullDisks;
  system.keys = {'\n', '\n'};
  system.onReadKey = [&] {
    fullDisks.push_back(ReadFileText(path));
    fileSystem.freeBytes = RoomFor(100);
  };
  EstimateRecordsPerDisk(run);
  testing::internal::CaptureStderr();
  ListRecords(99);
  EXPECT_TRUE(fullDisks.empty());
  ListRecords(1);
  ListRecords(130);
  std::string message = testing::internal::GetCapturedStderr();
  ASSERT_TRUE(run.listingIsFile);
  fclose(run.listing);
  run.listingIsFile = false;

  ASSERT_EQ(fullDisks.size(), 2u);
  EXPECT_EQ(fullDisks[0], Records(1, 100) +
                              "\n Processed 100 files, 100000 bytes:  See continuation disk \n");
  EXPECT_EQ(fullDisks[1], Records(101, 200) +
                              "\n Processed 200 files, 200000 bytes:  See continuation disk \n");
  EXPECT_EQ(ReadFileText(path), Records(201, 230));
  EXPECT_EQ(message, "\n\nOutput disk is full, replace and hit return\n"
                     "\n\nOutput disk is full, replace and hit return\n");
  EXPECT_TRUE(system.keys.empty());
  EXPECT_EQ(fileSystem.diskFreeQueries.size(), 3u);
}

TEST_F(RemovableDiskTest, NewDiskSizeGivesTheNewEstimate) {
  system.keys = {'\n'};
  system.onReadKey = [&] { fileSystem.freeBytes = RoomFor(7); };
  EstimateRecordsPerDisk(run);
  ListRecords(100);
  EXPECT_EQ(run.counters.recordsPerDisk, 7);
  EXPECT_EQ(run.counters.lineCount, 1);
}

TEST_F(RemovableDiskTest, FileThatCannotBeReopenedEndsWithReasonThree) {
  system.keys = {'\n'};
  system.onReadKey = [&] { fs::remove_all(dir); };
  EstimateRecordsPerDisk(run);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  int status = StatusOf([this] { ListRecords(100); });
  std::string out = testing::internal::GetCapturedStdout();
  std::string message = testing::internal::GetCapturedStderr();
  EXPECT_EQ(status, kOutputFile);
  EXPECT_NE(out.find("\ncan't reopen output file " + path.string() + "\n"), std::string::npos)
      << out;
  EXPECT_NE(message.find("Reason: OUTPUT_FILE"), std::string::npos) << message;
  EXPECT_FALSE(run.listingIsFile);
}

TEST_F(RemovableDiskTest, UnreadableNewDiskEndsWithReasonThree) {
  system.keys = {'\n'};
  system.onReadKey = [&] { fileSystem.diskFreeFails = true; };
  EstimateRecordsPerDisk(run);
  testing::internal::CaptureStderr();
  int status = StatusOf([this] { ListRecords(100); });
  std::string message = testing::internal::GetCapturedStderr();
  EXPECT_EQ(status, kOutputFile);
  EXPECT_NE(message.find("can't get disk free space\n"), std::string::npos) << message;
  EXPECT_FALSE(run.listingIsFile);
}

// Standard input is no console (or at its end): nobody can change the disk.
TEST_F(RemovableDiskTest, WithoutAConsoleToAnswerTheRunEndsKeepingEveryRecord) {
  EstimateRecordsPerDisk(run);
  testing::internal::CaptureStderr();
  int status = StatusOf([this] { ListRecords(150); });
  std::string message = testing::internal::GetCapturedStderr();
  EXPECT_EQ(status, kOutputFile);
  EXPECT_EQ(listed, 100);
  EXPECT_FALSE(run.listingIsFile);
  EXPECT_EQ(ReadFileText(path), Records(1, 100) +
                                "\n Processed 100 files, 100000 bytes:  See continuation disk \n");
  EXPECT_EQ(message.rfind("\n\nOutput disk is full, replace and hit return\n"
                          "\nAbnormal termination. Reason: OUTPUT_FILE\n",
                          0),
            0u)
      << message;
}

}  // namespace
}  // namespace korven
