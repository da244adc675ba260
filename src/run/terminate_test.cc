#include "run/terminate.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "run/run.h"
#include "testing/test_run.h"

namespace korven {
namespace {

struct TerminateFixture : ::testing::Test {
  TestRun t;
  FakeSystem& sys = t.sys;
  korven::Run& run = t.run;
  FILE* message = run.message;

  TerminateFixture() { run.startTime = sys.now - 65; }

  int End(int reason) {
    try {
      Terminate(run, reason);
    } catch (const RunEnded& ended) {
      return ended.status;
    }
    ADD_FAILURE() << "Terminate returned";
    return -1;
  }
};

TEST(GroupDigitsTest, PutsCommasBetweenGroupsOfThree) {
  struct Case {
    int64_t value;
    const char* text;
  } cases[] = {
      {0, "0"},
      {999, "999"},
      {1000, "1,000"},
      {1234567, "1,234,567"},
      {-1000, "-1,000"},
      {-999, "-999"},
      {INT64_MIN, "-9,223,372,036,854,775,808"},
      {INT64_MAX, "9,223,372,036,854,775,807"},
  };
  for (const Case& c : cases) EXPECT_EQ(GroupDigits(c.value), c.text) << c.value;
}

TEST(ExitReasonTextTest, NamesEveryReason) {
  const char* texts[] = {"NORMAL_EXIT",        "USER_ABORTED",   "INPUT_FILE",
                         "OUTPUT_FILE",        "PARAMATER_FILE", "ILLEGAL or INCOMPLETE OPTION",
                         "INSUFFICIENT MEMORY", "OTHER_EXIT",    "WRITE_ERROR",
                         "CORRUPTED Program FILE", "READ_ERROR", "NON_SPECIFIC ERROR",
                         "NON_SPECIFIC ERROR"};
  for (int reason = 0; reason <= 12; ++reason) EXPECT_STREQ(ExitReasonText(reason), texts[reason]) << reason;
}

TEST_F(TerminateFixture, NormalEndWritesSummaryAndExitsZero) {
  run.counters.dirCount = 1;
  run.counters.listedFiles = 2;
  run.counters.listedBytes = 1234567;
  EXPECT_EQ(End(kNormalExit), 0);
  EXPECT_EQ(ReadAll(message),
            "\n  1 directory, 2 files, 1,234,567 bytes: \n  Elapsed:  0 hrs. 1 mins. 5 secs.\n\n");
  EXPECT_GE(sys.restoreCount, 1);
}

TEST_F(TerminateFixture, DirectoryWordIsPluralUnlessExactlyOne) {
  for (long dirs : {0L, 2L}) {
    run.counters.dirCount = dirs;
    rewind(message);
    run.terminating = false;
    End(kNormalExit);
    EXPECT_NE(ReadAll(message).find(std::to_string(dirs) + " directories, "), std::string::npos);
  }
}

TEST_F(TerminateFixture, AbnormalEndNamesTheReasonBeforeTheSummary) {
  EXPECT_EQ(End(kIllegalOption), 5);
  std::string text = ReadAll(message);
  EXPECT_EQ(text.rfind("\nAbnormal termination. Reason: ILLEGAL or INCOMPLETE OPTION\n\n", 0), 0u) << text;
  EXPECT_NE(text.find("0 directories, 0 files, 0 bytes"), std::string::npos);
}

TEST_F(TerminateFixture, FailedSignatureCheckEndsWithStatusOneWithoutAbnormalLine) {
  run.counters.failedChecks = 1;
  EXPECT_EQ(End(kNormalExit), 1);
  EXPECT_EQ(ReadAll(message).find("Abnormal"), std::string::npos);
}

TEST_F(TerminateFixture, SignatureNotMadeOrRemovedEndsWithStatusOne) {
  run.counters.failedChanges = 1;
  EXPECT_EQ(End(kNormalExit), 1);
  EXPECT_NE(ReadAll(message).find("0 directories, 0 files, 0 bytes"), std::string::npos);
}

TEST_F(TerminateFixture, QuietRunStillWritesAccountingSummary) {
  FILE* log = tmpfile();
  FILE* keep = fdopen(dup(fileno(log)), "r");
  run.accounting = log;
  run.settings.quietLevel = 1;
  run.counters.dirCount = 3;
  run.counters.listedFiles = 4;
  run.counters.listedBytes = 5000;
  run.counters.accumulatedRecordLength = 82;
  EXPECT_EQ(End(kNormalExit), 0);
  EXPECT_EQ(ReadAll(message), "");
  EXPECT_EQ(run.accounting, nullptr);
  EXPECT_EQ(ReadAll(keep),
            "\n Record length 82\n  3 directories, 4 files, 5,000 bytes: \n\n\n  Finished: Fri Mar  7 09:05:00 2008\n"
            "  Elapsed:  0 hrs. 1 mins. 5 secs.\n" + std::string(53, '*') + "\n");
  fclose(keep);
}

TEST_F(TerminateFixture, OutputFileGetsSummaryWithStreamsAndIsClosed) {
  FILE* out = tmpfile();
  FILE* keep = fdopen(dup(fileno(out)), "r");
  run.listing = out;
  run.listingIsFile = true;
  run.counters.dirCount = 1;
  run.counters.listedFiles = 3;
  run.counters.listedBytes = 10;
  run.counters.streamCount = 2;
  run.counters.streamDirCount = 1;
  EXPECT_EQ(End(kNormalExit), 0);
  EXPECT_FALSE(run.listingIsFile);
  EXPECT_EQ(run.listing, stdout);
  EXPECT_EQ(ReadAll(keep),
            "\n  1 directory, 3 files, 10 bytes: \n (Includes 2 Alternate Data Streams And 1 directories "
            "holding data streams)\n  Elapsed:  0 hrs. 1 mins. 5 secs.\n\n");
  fclose(keep);
}

TEST_F(TerminateFixture, ListingThatCouldNotBeWrittenEndsWithWriteError) {
  FILE* full = fopen("/dev/full", "w");
  ASSERT_NE(full, nullptr);
  run.listing = full;
  fprintf(full, "a record that has nowhere to go\n");
  EXPECT_EQ(End(kNormalExit), 8);
  std::string text = ReadAll(message);
  EXPECT_NE(text.find("Can't write the listing"), std::string::npos) << text;
  EXPECT_NE(text.find("Abnormal termination. Reason: WRITE_ERROR"), std::string::npos) << text;
  fclose(full);
}

TEST_F(TerminateFixture, InterruptAtASafePointEndsWithReasonTwo) {
  CheckInterrupt(run);  // nothing pending: returns
  sys.interrupted = true;
  try {
    CheckInterrupt(run);
    FAIL() << "no end";
  } catch (const RunEnded& ended) {
    EXPECT_EQ(ended.status, 2);
  }
  EXPECT_NE(ReadAll(message).find("Abnormal termination. Reason: INPUT_FILE"), std::string::npos);
}

}  // namespace
}  // namespace korven
