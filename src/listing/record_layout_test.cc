#include "listing/record_layout.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <functional>

#include "listing/file_times.h"
#include "testing/test_run.h"

namespace korven {
namespace {

std::string Blanks(int n) { return std::string(static_cast<size_t>(n), ' '); }
std::string Dashes(int n) { return std::string(static_cast<size_t>(n), '-') + "\n"; }

TEST(RecordLayout, HeaderTitleAndDashLine) {
  const std::string sizeDate = "    Size      Date       Time\n";
  struct Case {
    const char* what;
    std::function<void(korven::Run&)> set;
    std::string title;
    std::string dashes;
  };
  const Case cases[] = {
      {"defaults", [](korven::Run&) {}, Blanks(13) + "  FILE: " + Blanks(15) + " CRC-32 " + sizeDate, Dashes(73)},
      {"-w 20",
       [](korven::Run& r) { r.settings.nameWidth = 20; },
       Blanks(6) + "  FILE: " + Blanks(8) + " CRC-32 " + sizeDate, Dashes(59)},
      {"-tW: three characters narrower",
       [](korven::Run& r) { r.settings.printSeconds = 1; },
       Blanks(12) + "  FILE: " + Blanks(14) + " CRC-32 " + sizeDate, Dashes(71)},
      {"-n",
       [](korven::Run& r) { r.settings.nameOnly = 1; },
       Blanks(14) + "  FILE:" + Blanks(14) + " CRC-32 " + sizeDate, Dashes(72)},
      {"-m",
       [](korven::Run& r) { r.settings.printDateTime = 0; },
       Blanks(13) + "  FILE: " + Blanks(15) + " CRC-32 " + "    Size      \n", Dashes(58)},
      {"-N",
       [](korven::Run& r) { r.settings.pathNameOnly = 1; },
       Blanks(14) + "  FILE: \n", Dashes(35)},
      {"-w 200: at most 78 dashes",
       [](korven::Run& r) { r.settings.nameWidth = 200; },
       Blanks(96) + "  FILE: " + Blanks(98) + " CRC-32 " + sizeDate, Dashes(78)},
  };
  for (const Case& c : cases) {
    TestRun t;
    c.set(t.run);
    WriteHeader(t.run, "/some/path/");
    EXPECT_EQ(t.Listing(), c.title) << c.what;
    EXPECT_EQ(t.Messages(), c.dashes) << c.what;
  }
}

// The name field keeps at least one character, so that every record of a
// run is as long as the others.
TEST(RecordLayout, SecondsNarrowTheNameFieldAndRecordLength) {
  struct Case {
    int width;
    int narrowed;
  } cases[] = {{35, 32}, {4, 1}, {3, 1}, {1, 1}};
  for (const Case& c : cases) {
    TestRun t;
    t.run.settings.printSeconds = 1;
    t.run.settings.nameWidth = c.width;
    t.run.values.recordLength = c.width + 47;
    WriteHeader(t.run, "/");
    EXPECT_EQ(t.run.settings.nameWidth, c.narrowed) << c.width;
    EXPECT_EQ(t.run.values.recordLength, c.narrowed + 47) << c.width;
  }
}

TEST(RecordLayout, NoHeaderForAnOutputFileOrWithQuietLevel) {
  for (OutputMode mode : {OutputMode::kFile, OutputMode::kNamedStdout}) {
    TestRun t;
    t.run.settings.outputMode = mode;
    t.run.settings.printSeconds = 1;
    WriteHeader(t.run, "/");
    EXPECT_EQ(t.Listing() + t.Messages(), "");
    EXPECT_EQ(t.run.settings.nameWidth, 35);
  }
  TestRun quiet;
  quiet.run.settings.quietLevel = 1;
  WriteHeader(quiet.run, "/");
  EXPECT_EQ(quiet.Listing() + quiet.Messages(), "");
}

TEST(RecordLayout, FieldWritersShareTheDelimiter) {
  TestRun t;
  t.run.values.delimiterChar = ';';
  t.run.settings.nameWidth = 6;
  t.run.settings.print83Name = 1;
  TimeBlock times;
  ConvertTimes(t.run, FileTimes{}, &times, false);
  WriteNameField(t.run, "name-longer");
  WriteCrcField(t.run, "0000ABCD");
  WriteSizeField(t.run, 0);
  WriteTimeFields(t.run, times);
  WriteDosNameField(t.run, "");  // stream records: 16 blanks in its place
  EndRecord(t.run);
  EXPECT_EQ(t.Listing(), "name-l;0000ABCD;          0;00/00/1980;00:00w;EST;" + Blanks(16) + ";\n");
  EXPECT_EQ(t.run.counters.lineCount, 1);
}

TEST(RecordLayout, ZoneFieldShowsThreeCharactersRightAligned) {
  const struct {
    const char* abbreviation;
    const char* field;
  } cases[] = {{"EST", "EST;"}, {"AEST", "AES;"}, {"Z", "  Z;"}, {"", "   ;"}};
  for (const auto& c : cases) {
    TimeLayout layout;
    layout.delimiter = ';';
    SetZone("GMT", &layout);  // a layout read from a listing, given the run's zone
    SetZone(c.abbreviation, &layout);
    std::string out;
    AppendTimeFields(layout, TimeBlock{}, &out);
    EXPECT_EQ(out, std::string("00/00/0000;00:00w;") + c.field) << c.abbreviation;
  }
}

TEST(RecordLayout, LongNameFieldsComeLastWithTheExtensionBeforeThem) {
  struct Case {
    const char* what;
    int mode;
    int width;         // -88xx
    int longestName;   // found by the counting pass
    int extension;
    const char* name;
    std::string fields;
  } cases[] = {
      {"-886: cut", 2, 6, 0, 0, "report.txt", "REPORT;"},
      {"-8812: padded", 2, 12, 0, 0, "a.c", "A.C         ;"},
      {"-88: padded to the longest name", 1, 0, 8, 0, "a.c", "A.C     ;"},
      {"-886E", 2, 6, 0, 1, "a.c", "C  ;A.C   ;"},
      {"-886E: no extension", 2, 6, 0, 1, "Makefile", "   ;MAKEFI;"},
      {"-88E: long extension", 1, 0, 0, 1, "x.html", "HTML;X.HTML;"},
      {"-886E: control character", 2, 6, 0, 1, "a\tb", "   ;A?B   ;"},
  };
  for (const Case& c : cases) {
    TestRun t;
    t.run.values.delimiterChar = ';';
    t.run.settings.longNameMode = c.mode;
    t.run.values.longNameWidth = c.width;
    t.run.counters.longestName = c.longestName;
    t.run.settings.extensionField = c.extension;
    WriteLongNameFields(t.run, c.name);
    EXPECT_EQ(t.Listing(), c.fields) << c.what;
  }
}

// What the file behind `stream` holds, without flushing the stream.
std::string Delivered(FILE* stream) {
  std::string text(4096, '\0');
  ssize_t got = pread(fileno(stream), text.data(), text.size(), 0);
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

// At a console a record shows as soon as it ends, together with a message
// written while it was made; elsewhere both wait in their buffers.
TEST(RecordLayout, AtAConsoleARecordShowsWhenItEnds) {
  for (bool console : {true, false}) {
    TestRun t;
    t.run.listingAtConsole = console;
    t.run.messageAtConsole = console;
    t.run.settings.nameWidth = 4;
    WriteNameField(t.run, "name");
    fputs("a message\n", t.run.message);
    EXPECT_EQ(Delivered(t.run.listing), "") << console;
    EndRecord(t.run);
    EXPECT_EQ(Delivered(t.run.listing), console ? "name \n" : "") << console;
    EXPECT_EQ(Delivered(t.run.message), console ? "a message\n" : "") << console;
  }
}

}  // namespace
}  // namespace korven
