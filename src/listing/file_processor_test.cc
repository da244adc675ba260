#include "listing/file_processor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "platform/file_system.h"
#include "run/run.h"
#include "testing/memory_file_system.h"
#include "testing/test_run.h"
#include "text/text.h"

namespace korven {
namespace {

uint64_t FileTimeOf(int year, int month, int day, int hour, int minute, int second) {
  return EpochToFileTime(UtcSeconds(year, month, day, hour, minute, second));
}

std::string Padded(const std::string& text, size_t width) {
  return text + std::string(width > text.size() ? width - text.size() : 0, ' ');
}

// "123456789" (CRC-32 CBF43926), written 03/06/2008 22:30:15, accessed
// 23:00:00 and created 01/01/2001 07:00:01, local time UTC - 5 hours, in an
// in-memory directory.
struct Fixture {
  MemoryFileSystem fs;
  TestRun t{fs};
  std::string dir = "/d/";
  FindEntry entry;  // the file's find record, as the file system will report it
  std::string content = "123456789";

  Fixture() {
    entry.name = "a.txt";
    entry.size = 9;
    entry.attributes = kAttrArchive;
    entry.times.write = FileTimeOf(2008, 3, 7, 3, 30, 15);
    entry.times.access = FileTimeOf(2008, 3, 7, 4, 0, 0);
    entry.times.creation = FileTimeOf(2001, 1, 1, 12, 0, 1);
  }
  std::string UpperPath() const { return UpperAscii(dir + entry.name); }
  // Makes a file as `file` and `contents` say.
  void Add(const FindEntry& file, const std::string& contents) {
    const std::string path = dir + file.name;
    fs.AddFile(path, contents, file.times);
    fs.SetAttributes(path, file.attributes);
    if (file.size != contents.size()) fs.SetReportedSize(path, file.size);
  }
  // Makes the file and processes it; the listing so far.
  std::string Process() {
    Add(entry, content);
    ProcessFile(t.run, dir, entry.name);
    return t.Listing();
  }
};

struct LayoutCase {
  const char* what;
  std::function<void(korven::Run&)> set;
  const char* rest;  // the record after the name field and its delimiter
};

TEST(FileProcessor, RecordLayouts) {
  const LayoutCase cases[] = {
      {"defaults", [](korven::Run&) {}, "CBF43926           9 03/06/2008 22:30w EST \n"},
      {"-t3",
       [](korven::Run& r) {
         r.settings.timeKind = TimeKind::kAllThree;
         r.settings.allThreeTimes = 1;
       },
       "CBF43926           9 01/01/2001 07:00:01c 03/06/2008 22:30:15w 03/06/2008 23:00:00a EST \n"},
      {"-T", [](korven::Run& r) { r.settings.sortableDate = 1; }, "CBF43926           9 2008/03/06 22:30w EST \n"},
      {"-T3",
       [](korven::Run& r) {
         r.settings.sortableDate = 1;
         r.settings.timeKind = TimeKind::kAllThree;
       },
       "CBF43926           9 2001/01/01 07:00:01c 2008/03/06 22:30:15w 2008/03/06 23:00:00a EST \n"},
      {"-tW", [](korven::Run& r) { r.settings.printSeconds = 1; }, "CBF43926           9 03/06/2008 22:30:15w EST \n"},
      {"-ta", [](korven::Run& r) { r.settings.timeKind = TimeKind::kAccess; }, "CBF43926           9 03/06/2008 23:00a EST \n"},
      {"-tc", [](korven::Run& r) { r.settings.timeKind = TimeKind::kCreation; }, "CBF43926           9 01/01/2001 07:00c EST \n"},
      {"-Z", [](korven::Run& r) { r.settings.zuluTime = 1; }, "CBF43926           9 03/07/2008 03:30w GMT \n"},
      {"-m", [](korven::Run& r) { r.settings.printDateTime = 0; }, "CBF43926           9 \n"},
      {"-t0", [](korven::Run& r) { r.settings.timeKind = TimeKind::kNone; }, "CBF43926           9 \n"},
      {"-8", [](korven::Run& r) { r.settings.print83Name = 1; },
       "CBF43926           9 03/06/2008 22:30w EST  a.txt           \n"},
      {"-D 4", [](korven::Run& r) { r.values.displacement = 4; }, "131DA070           9 03/06/2008 22:30w EST \n"},
  };
  for (const LayoutCase& c : cases) {
    Fixture f;
    c.set(f.t.run);
    EXPECT_EQ(f.Process(), Padded(f.UpperPath(), 35) + " " + c.rest) << c.what;
  }
}

TEST(FileProcessor, DelimiterFollowsEveryFieldAndTheSizeKeepsItsBlank) {
  Fixture f;
  f.t.run.values.delimiterChar = ',';
  f.t.run.settings.print83Name = 1;
  EXPECT_EQ(f.Process(),
            Padded(f.UpperPath(), 35) + ",CBF43926,          9,03/06/2008,22:30w,EST, a.txt          ,\n");
}

TEST(FileProcessor, ElevenDigitSizesPrintInFull) {
  Fixture f;
  f.entry.size = 12345678901;
  EXPECT_EQ(f.Process(), Padded(f.UpperPath(), 35) + " CBF43926   12345678901 03/06/2008 22:30w EST \n");
  EXPECT_EQ(f.t.run.counters.listedBytes, 12345678901);
}

TEST(FileProcessor, ZeroFileTimePrintsAsTheFirstOf1980) {
  Fixture f;
  f.entry.times = FileTimes{};
  EXPECT_EQ(f.Process(), Padded(f.UpperPath(), 35) + " CBF43926           9 00/00/1980 00:00w EST \n");
}

TEST(FileProcessor, NameOnlyShowsTheBareNameWithoutRecursionAndThePathWithIt) {
  Fixture f;
  f.t.run.settings.nameOnly = 1;
  EXPECT_EQ(f.Process().substr(0, 36), Padded("a.txt", 35) + " ");
  Fixture g;
  g.t.run.settings.nameOnly = 1;
  g.t.run.settings.recurse = 1;
  EXPECT_EQ(g.Process().substr(0, 36), Padded(g.UpperPath(), 35) + " ");
}

TEST(FileProcessor, PathNameOnlyIsTheNameFieldAndANewline) {
  Fixture f;
  f.t.run.settings.pathNameOnly = 1;
  f.t.run.settings.resetTimes = 1;
  EXPECT_EQ(f.Process(), Padded(f.UpperPath(), 35) + " \n");
  EXPECT_EQ(f.t.run.counters.lineCount, 0);
  EXPECT_EQ(f.t.run.counters.listedFiles, 1);
}

TEST(FileProcessor, NameWidthsAndFitting) {
  const std::string deep = "/a-directory/with-a-long-name/";
  {
    Fixture f;  // -w 10: the standard form
    f.dir = deep;
    f.t.run.settings.nameWidth = 10;
    f.t.run.values.nameWidthLevel = 2;
    EXPECT_EQ(f.Process().substr(0, 20), "/.../A.TXT CBF43926 ");
  }
  {
    Fixture f;  // -W 30: the tail-preserving form
    f.dir = deep;
    f.t.run.settings.nameWidth = 30;
    f.t.run.values.nameWidthLevel = 3;
    const std::string path = f.UpperPath();
    EXPECT_EQ(f.Process().substr(0, 31), path.substr(0, 21) + ".../A.TXT ");
  }
  {
    Fixture f;  // variable width: the whole path, whatever its length
    f.t.run.settings.variableWidth = 1;
    f.t.run.settings.nameWidth = 10;
    f.t.run.values.delimiterChar = '|';
    EXPECT_EQ(f.Process().substr(0, f.UpperPath().size() + 10), f.UpperPath() + "|CBF43926|");
  }
}

TEST(FileProcessor, NameLongerThanTheFieldIsCutToExactlyItsWidth) {
  Fixture f;
  f.entry.name = std::string(50, 'n') + ".txt";
  const std::string record = f.Process();
  EXPECT_EQ(record.substr(0, 36), Padded("/.../" + UpperAscii(f.entry.name), 0).substr(0, 35) + " ");
  EXPECT_EQ(record.substr(36, 9), "CBF43926 ");
}

TEST(FileProcessor, ControlCharactersInANameShowAsQuestionMarks) {
  Fixture f;
  f.entry.name = "a\nb.txt";
  EXPECT_EQ(f.Process(), Padded(UpperAscii(f.dir) + "A?B.TXT", 35) + " CBF43926           9 03/06/2008 22:30w EST \n");
}

TEST(FileProcessor, SizeFilterBoundsAreInclusive) {
  struct Case {
    bool greaterOn;
    int32_t greater;
    bool lessOn;
    int32_t less;
    bool listed;
  };
  const Case cases[] = {
      {true, 9, false, 0, true},   {true, 10, false, 0, false}, {true, -5, false, 0, true},
      {false, 0, true, 9, true},   {false, 0, true, 8, false},  {true, 9, true, 9, true},
  };
  for (const Case& c : cases) {
    Fixture f;
    f.t.run.settings.sizeGreaterOn = c.greaterOn;
    f.t.run.values.sizeGreater = c.greater;
    f.t.run.settings.sizeLessOn = c.lessOn;
    f.t.run.values.sizeLess = c.less;
    EXPECT_EQ(!f.Process().empty(), c.listed) << c.greater << " " << c.less;
    EXPECT_EQ(f.t.run.counters.listedFiles, c.listed ? 1 : 0);
  }
}

TEST(FileProcessor, AgeFilterCountsCalendarDays) {
  // Now: 03/07/2008 09:05 local.
  struct Case {
    int day;  // local noon of this March 2008 day
    int olderDays;
    int newerDays;
    bool listed;
  };
  const Case cases[] = {
      {6, 0, 3, true},   // -l 3: yesterday passes
      {4, 0, 3, false},  // three calendar days ago does not
      {5, 0, 3, true},
      {7, 1, 8000, false},  // -g 1: today is too new
      {4, 3, 8000, true},
  };
  for (const Case& c : cases) {
    Fixture f;
    f.t.run.settings.dateFilterOn = 1;
    f.t.run.settings.newerThanOn = c.newerDays != 8000;
    f.t.run.settings.olderThanOn = c.olderDays != 0;
    f.t.run.values.olderDays = c.olderDays;
    f.t.run.values.newerDays = c.newerDays;
    f.entry.times.write = FileTimeOf(2008, 3, c.day, 17, 0, 0);
    EXPECT_EQ(!f.Process().empty(), c.listed) << c.day;
  }
}

TEST(FileProcessor, DateBoundsWithLettersSelectByThoseTimesExclusively) {
  const uint64_t bound = FileTimeOf(2008, 3, 1, 5, 0, 0);
  struct Case {
    const char* letters;
    uint64_t access;
    bool listed;
  };
  const Case cases[] = {
      {"a", FileTimeOf(2008, 3, 7, 4, 0, 0), true},   // accessed after the bound
      {"w", FileTimeOf(2008, 3, 7, 4, 0, 0), false},  // written long before it
      {"wa", FileTimeOf(2008, 3, 7, 4, 0, 0), true},
      {"a", bound, false},                           // the bound itself is outside
      {"a", bound + 1, true},
  };
  for (const Case& c : cases) {
    Fixture f;
    f.t.run.settings.dateFilterOn = 1;
    f.t.run.settings.newerThanOn = 1;
    f.t.run.values.newerThanTime = bound;
    f.t.run.values.dateLetters = c.letters;
    f.entry.times.write = FileTimeOf(2000, 1, 1, 0, 0, 0);
    f.entry.times.access = c.access;
    EXPECT_EQ(!f.Process().empty(), c.listed) << c.letters;
  }
  Fixture upper;  // the upper bound is exclusive too
  upper.t.run.settings.dateFilterOn = 1;
  upper.t.run.settings.olderThanOn = 1;
  upper.t.run.values.dateLetters = "w";
  upper.t.run.values.olderThanTime = upper.entry.times.write;
  EXPECT_TRUE(upper.Process().empty());
}

TEST(FileProcessor, SummaryCountsEqualTheFilesListed) {
  Fixture f;
  f.t.run.settings.sizeLessOn = 1;
  f.t.run.values.sizeLess = 100;
  FindEntry b = f.entry;
  b.name = "b.txt";
  b.size = 3;
  f.Add(b, "abc");
  FindEntry c = f.entry;
  c.name = "c.txt";
  c.size = 200;
  f.Add(c, std::string(200, 'c'));
  f.Process();
  ProcessFile(f.t.run, f.dir, "b.txt");
  ProcessFile(f.t.run, f.dir, "c.txt");
  const std::string listing = f.t.Listing();
  EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), 2);
  EXPECT_EQ(f.t.run.counters.listedFiles, 2);
  EXPECT_EQ(f.t.run.counters.listedBytes, 12);
  EXPECT_EQ(f.t.run.counters.lineCount, 2);
}

TEST(FileProcessor, AccumulatedRecordLengthGrowsByTheTimeAndZoneFields) {
  Fixture f;
  f.t.run.counters.accumulatedRecordLength = 82;
  f.Process();
  EXPECT_EQ(f.t.run.counters.accumulatedRecordLength, 82 + 22);  // "03/06/2008 22:30w EST "
  Fixture g;
  g.t.run.settings.timeKind = TimeKind::kAllThree;
  g.Process();
  EXPECT_EQ(g.t.run.counters.accumulatedRecordLength, 3 * 21 + 4);
}

TEST(FileProcessor, ProgressShowsTheNameOnlyWhenListingToAFile) {
  Fixture f;
  f.Process();
  EXPECT_EQ(f.t.Messages(), "");
  Fixture g;
  g.t.run.settings.outputMode = OutputMode::kFile;
  g.Process();
  EXPECT_EQ(g.t.Messages(), " a.txt\b\b\b\b\b\b      \b\b\b\b\b\b");
  Fixture h;
  h.t.run.settings.outputMode = OutputMode::kFile;
  h.t.run.settings.progressOff = 1;
  h.Process();
  EXPECT_EQ(h.t.Messages(), "");
}

TEST(FileProcessor, UnreadableFileIsListedWithCrcError) {
  Fixture f;
  f.fs.failOpenForReading = {"/d/a.txt"};
  f.fs.failOpenFallback = {"/d/a.txt"};
  EXPECT_EQ(f.Process(), Padded(f.UpperPath(), 35) + " CRCERROR           9 03/06/2008 22:30w EST \n");
  EXPECT_EQ(f.t.run.counters.listedFiles, 1);
}

// Runs that look a file up by name before reading it, and one that doesn't.
const std::function<void(korven::Run&)> kLookUps[] = {
    [](korven::Run&) {},
    [](korven::Run& r) {
      r.settings.sizeGreaterOn = 1;
      r.values.sizeGreater = 0;
    },
    [](korven::Run& r) { r.settings.resetTimes = 1; },
};

TEST(FileProcessor, FileGoneSinceTheDirectorySearchIsSkippedAndNotCounted) {
  for (const auto& lookUp : kLookUps) {
    for (bool pathNameOnly : {false, true}) {
      Fixture f;
      lookUp(f.t.run);
      f.t.run.settings.pathNameOnly = pathNameOnly;
      ProcessFile(f.t.run, f.dir, "a.txt");
      EXPECT_EQ(f.t.Listing(), "");
      EXPECT_EQ(f.t.Messages(), "");
      EXPECT_EQ(f.t.run.counters.listedFiles, 0);
    }
  }
}

TEST(FileProcessor, RecordTellsOfTheFileAsItWasRead) {
  // The file changes between the directory search and its reading: size,
  // time and CRC-32 are all of what was read.
  struct Case {
    const char* what;
    std::function<void(MemoryFileSystem&)> change;
    const char* record;  // after the name field; empty: not listed
  };
  const Case cases[] = {
      {"grown", [](MemoryFileSystem& fs) { fs.SetContent("/d/a.txt", "1234567890"); },
       " 261DAEE5          10 03/06/2008 22:30w EST \n"},
      {"shrunk", [](MemoryFileSystem& fs) { fs.SetContent("/d/a.txt", "1"); },
       " 83DCEFB7           1 03/06/2008 22:30w EST \n"},
      {"rewritten",
       [](MemoryFileSystem& fs) {
         fs.SetContent("/d/a.txt", "abc");
         fs.SetTimes("/d/a.txt", FileTimes{0, 0, FileTimeOf(2010, 5, 5, 12, 0, 0)});
       },
       " 352441C2           3 05/05/2010 07:00w EST \n"},
      {"removed", [](MemoryFileSystem& fs) { fs.RemoveFile("/d/a.txt"); }, ""},
      {"a directory now",
       [](MemoryFileSystem& fs) {
         fs.RemoveFile("/d/a.txt");
         fs.AddDirectory("/d/a.txt");
       },
       ""},
  };
  for (const auto& lookUp : kLookUps) {
    for (const Case& c : cases) {
      Fixture f;
      lookUp(f.t.run);
      bool changed = false;
      f.fs.beforeOpen = [&](const std::string&) {
        if (!changed) c.change(f.fs);
        changed = true;
      };
      const std::string listing = f.Process();
      EXPECT_EQ(listing, *c.record == '\0' ? "" : Padded(f.UpperPath(), 35) + c.record) << c.what;
      EXPECT_EQ(f.t.run.counters.listedFiles, *c.record == '\0' ? 0 : 1) << c.what;
    }
  }
}

TEST(FileProcessor, FailedResetIsReportedOnTheMessageStreamAndInTheAccountingFile) {
  Fixture f;
  f.t.run.settings.resetTimes = 1;
  f.fs.failSetTimes = {"/d/a.txt"};
  f.t.run.accounting = tmpfile();  // closed with the run
  f.Process();
  const std::string message = "\nCan't reset filetime for /d/a.txt\n";
  EXPECT_EQ(f.t.Messages(), message);
  EXPECT_EQ(ReadAll(f.t.run.accounting), message);
}

TEST(FileProcessor, NoChangeActsThroughASymbolicLink) {
  // A link is listed with its CRC-32 like the file it points to; -C, -E and
  // -R leave it be, and the signatures the run could not make fail it.
  for (auto option : {&RunSettings::createSignature, &RunSettings::eraseSignature, &RunSettings::resetTimes}) {
    Fixture f;
    f.entry.attributes |= kAttrReparsePoint;
    f.content = "123456789CBF43926";
    f.entry.size = 17;
    f.fs.failSetTimes = {"/d/a.txt"};
    f.t.run.settings.*option = 1;
    EXPECT_EQ(f.Process(), Padded(f.UpperPath(), 35) + " 65CEC82D          17 03/06/2008 22:30w EST \n");
    EXPECT_EQ(f.fs.Content("/d/a.txt"), "123456789CBF43926");
    const bool changesFile = option != &RunSettings::resetTimes;
    EXPECT_EQ(f.t.Messages(), changesFile ? "\n/d/a.txt is a symbolic link: left as it is\n" : "");
    EXPECT_EQ(f.t.run.counters.failedChanges, changesFile ? 1 : 0);
  }
}

TEST(FileProcessor, CreateThenVerifyInOneRun) {
  Fixture f;
  f.t.run.settings.createSignature = 1;
  f.t.run.settings.verifySignature = 1;
  EXPECT_EQ(f.Process(), Padded(f.UpperPath(), 35) + " CBF43926           9 03/06/2008 22:30w EST \n");
  EXPECT_EQ(f.fs.Content("/d/a.txt"), "123456789CBF43926");
  EXPECT_EQ(f.t.run.counters.failedChecks, 0);
  EXPECT_EQ(f.t.run.counters.failedChanges, 0);
}

TEST(FileProcessor, FileListedTwiceIsSignedOnce) {
  Fixture f;
  f.t.run.settings.createSignature = 1;
  f.Process();
  ProcessFile(f.t.run, f.dir, "a.txt");
  EXPECT_EQ(f.fs.Content("/d/a.txt"), "123456789CBF43926");
  // The second record is of the file as the first left it.
  EXPECT_EQ(f.t.Listing(), Padded(f.UpperPath(), 35) + " CBF43926           9 03/06/2008 22:30w EST \n" +
                             Padded(f.UpperPath(), 35) + " 65CEC82D          17 03/06/2008 22:30w EST \n");
  EXPECT_EQ(f.t.Messages(), "\n/d/a.txt already ends in its CRC-32 signature: left as it is\n");
  EXPECT_EQ(f.t.run.counters.failedChanges, 0);
}

TEST(FileProcessor, SignatureCoversTheWholeFileWhateverTheStartOffset) {
  Fixture f;
  f.t.run.settings.createSignature = 1;
  f.t.run.values.displacement = 4;
  f.Process();
  EXPECT_EQ(f.fs.Content("/d/a.txt"), "123456789CBF43926");
}

TEST(FileProcessor, SignatureNotMadeOrRemovedFailsTheRun) {
  struct Case {
    const char* what;
    std::function<void(Fixture&)> set;
    std::string after;
    long failed;
  };
  const Case cases[] = {
      {"-C, disk full", [](Fixture& f) { f.fs.roomLeft = 5; }, "123456789", 1},
      {"-C, can't open", [](Fixture& f) { f.fs.failOpenForUpdate = {"/d/a.txt"}; }, "123456789", 1},
      {"-C, signed", [](Fixture& f) { f.content = "123456789CBF43926"; }, "123456789CBF43926", 0},
      {"-E, can't resize",
       [](Fixture& f) {
         f.t.run.settings.createSignature = 0;
         f.t.run.settings.eraseSignature = 1;
         f.content = "123456789CBF43926";
         f.fs.failSetLength = true;
       },
       "123456789CBF43926", 1},
      {"-E, not signed",
       [](Fixture& f) {
         f.t.run.settings.createSignature = 0;
         f.t.run.settings.eraseSignature = 1;
       },
       "123456789", 0},
  };
  for (const Case& c : cases) {
    Fixture f;
    f.t.run.settings.createSignature = 1;
    c.set(f);
    f.entry.size = f.content.size();
    f.Process();
    EXPECT_EQ(f.fs.Content("/d/a.txt"), c.after) << c.what;
    EXPECT_EQ(f.t.run.counters.failedChanges, c.failed) << c.what;
    EXPECT_EQ(f.t.run.counters.listedFiles, 1) << c.what;
  }
}

TEST(FileProcessor, FailedVerificationEndsTheRecordWithANewlineAndIsCounted) {
  Fixture f;
  f.t.run.settings.verifySignature = 1;
  f.t.run.settings.eraseSignature = 1;
  EXPECT_EQ(f.Process(), Padded(f.UpperPath(), 35) + " CBF43926 \n");
  EXPECT_EQ(f.t.Messages(), "Incorrect CRC\n");
  EXPECT_EQ(f.t.run.counters.failedChecks, 1);
  EXPECT_EQ(f.t.run.counters.listedFiles, 1);
  EXPECT_EQ(f.fs.Content("/d/a.txt"), "123456789");  // -E is not applied after a failed check
}

TEST(FileProcessor, EraseCutsTheSignature) {
  Fixture f;
  f.content = "123456789CBF43926";
  f.entry.size = 17;
  f.t.run.settings.eraseSignature = 1;
  f.Process();
  EXPECT_EQ(f.fs.Content("/d/a.txt"), "123456789");
  EXPECT_EQ(f.t.run.counters.failedChanges, 0);
}

// A file gone since its directory was read is skipped, never taken for
// another whose name differs only in a character above ASCII: whether it is
// looked up by name first (-R) or only when it won't open.
TEST(FileProcessor, GoneFileIsNeverTakenForALookalike) {
  for (int resetTimes : {1, 0}) {
    Fixture f;
    f.t.run.settings.resetTimes = resetTimes;
    f.fs.AddFile(f.dir + "caf\xe8.txt", "other");
    ProcessFile(f.t.run, f.dir, "caf\xe9.txt");
    EXPECT_EQ(f.t.Listing(), "") << resetTimes;
    EXPECT_EQ(f.t.run.counters.listedFiles, 0) << resetTimes;
    EXPECT_TRUE(f.fs.searchPatterns().empty()) << resetTimes;
  }
}

}  // namespace
}  // namespace korven
