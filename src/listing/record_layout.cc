#include "listing/record_layout.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <string_view>

#include "listing/file_times.h"
#include "run/listing_output.h"
#include "run/run.h"
#include "run/screen_pause.h"
#include "text/text.h"

namespace korven {

namespace {

constexpr int kMaxBlanks = 199;  // the run's blank line
constexpr int kMaxDashes = 78;

int Blanks(int count) { return std::clamp(count, 0, kMaxBlanks); }

const char* BlankLine() {
  static const std::string blanks(kMaxBlanks, ' ');
  return blanks.c_str();
}

void WriteDashes(Run& run, int count) {
  static const std::string dashes(kMaxDashes, '-');
  fprintf(run.message, "%.*s\n", std::clamp(count, 0, kMaxDashes), dashes.c_str());
}

bool TimesPrinted(const RunSettings& s) { return s.printDateTime != 0 && s.timeKind != TimeKind::kNone; }

int WriteDate(Run& run, const CivilTime& t) {
  const char delimiter = run.values.delimiterChar;
  if (run.settings.sortableDate) {
    return fprintf(run.listing, "%04d/%02d/%02d%c", t.year, t.month, t.day, delimiter);
  }
  return fprintf(run.listing, "%02d/%02d/%04d%c", t.month, t.day, t.year, delimiter);
}

// One date-time group of the three-time form: seconds always shown.
int WriteFullGroup(Run& run, const CivilTime& t, char letter) {
  int written = WriteDate(run, t);
  written += fprintf(run.listing, "%02d:%02d:%02d", t.hour, t.minute, t.second);
  return written + fprintf(run.listing, "%c%c", letter, run.values.delimiterChar);
}

int WriteOneTime(Run& run, const TimeBlock& times) {
  const TimeKind kind = run.settings.timeKind;
  const CivilTime& t = kind == TimeKind::kAccess     ? times.access
                       : kind == TimeKind::kCreation ? times.creation
                                                     : times.write;
  int written = WriteDate(run, t);
  written += fprintf(run.listing, "%02d:%02d", t.hour, t.minute);
  if (run.settings.printSeconds) written += fprintf(run.listing, ":%02d", t.second);
  return written + fprintf(run.listing, "%c%c", static_cast<char>(kind), run.values.delimiterChar);
}

int WriteZone(Run& run) {
  if (run.settings.zuluTime) return fprintf(run.listing, "GMT%c", run.values.delimiterChar);
  return fprintf(run.listing, "%3.3s%c", run.timeZoneAbbreviation.c_str(), run.values.delimiterChar);
}

}  // namespace

// The title never shows the path; the parameter keeps the driver's call as it is.
void WriteHeader(Run& run, const std::string& /*firstPath*/) {
  RunSettings& s = run.settings;
  if (s.outputMode != OutputMode::kStandardOutput || s.quietLevel != 0) return;
  if (s.printSeconds) {
    // The seconds take the room, but the name field keeps one character: a
    // width of 0 would show no name, a negative one names of every length.
    const int narrowed = std::max(1, s.nameWidth - 3);
    run.values.recordLength -= s.nameWidth - narrowed;
    s.nameWidth = narrowed;
  }
  if (s.pathNameOnly) {
    fprintf(run.listing, "%.*s  FILE: \n", Blanks(s.nameWidthGiven / 2 - 3), BlankLine());
    WriteDashes(run, s.nameWidthGiven);
    CountScreenLines(run, 2);
    return;
  }
  int title = 0;
  if (s.nameOnly) {
    const int blanks = Blanks(s.nameWidthGiven / 2 - 3);
    title += fprintf(run.listing, "%.*s  FILE:%.*s CRC-32 ", blanks, BlankLine(), blanks, BlankLine());
  } else {
    title += fprintf(run.listing, "%.*s  FILE: %.*s CRC-32 ", Blanks(s.nameWidth / 2 - 4),
                     BlankLine(), Blanks(s.nameWidth / 2 - 2), BlankLine());
  }
  title += fprintf(run.listing, "    Size      ");
  if (TimesPrinted(s)) title += fprintf(run.listing, "Date       Time");
  fprintf(run.listing, "\n");
  WriteDashes(run, title);
  CountScreenLines(run, 2);
}

void WriteNameField(Run& run, const std::string& text) {
  const int width = run.settings.nameWidth;
  run.recordOpen = true;
  fprintf(run.listing, "%-*.*s%c", width, width, Showable(text, &run.buffers.shownName),
          run.values.delimiterChar);
}

void WriteCrcField(Run& run, const char* crcText) {
  fprintf(run.listing, "%.8s%c", crcText, run.values.delimiterChar);
}

void WriteSizeField(Run& run, int64_t size) {
  fprintf(run.listing, " % 10" PRId64 "%c", size, run.values.delimiterChar);
}

void WriteTimeFields(Run& run, const TimeBlock& times) {
  if (!TimesPrinted(run.settings)) return;
  int written = 0;
  if (run.settings.timeKind == TimeKind::kAllThree) {
    written += WriteFullGroup(run, times.creation, 'c');
    written += WriteFullGroup(run, times.write, 'w');
    written += WriteFullGroup(run, times.access, 'a');
  } else {
    written += WriteOneTime(run, times);
  }
  written += WriteZone(run);
  run.counters.accumulatedRecordLength += written;
}

void WriteDosNameField(Run& run, const std::string& dosName) {
  if (!run.settings.print83Name) return;
  fprintf(run.listing, " %-15s%c", Showable(dosName, &run.buffers.shownName), run.values.delimiterChar);
}

void WriteLongNameFields(Run& run, const std::string& bareName) {
  const RunSettings& s = run.settings;
  if (s.longNameMode == 0) return;
  const char delimiter = run.values.delimiterChar;
  const std::string_view name = Showable(UpperAscii(bareName), &run.buffers.shownName);
  if (s.extensionField) {
    const size_t dot = name.rfind('.');
    const std::string_view extension = dot == std::string_view::npos ? "" : name.substr(dot + 1);
    fprintf(run.listing, "%-3.*s%c", static_cast<int>(extension.size()), extension.data(), delimiter);
  }
  if (s.longNameMode == 2) {
    const int width = run.values.longNameWidth;
    fprintf(run.listing, "%-*.*s%c", width, width, name.data(), delimiter);
  } else {
    fprintf(run.listing, "%-*s%c", run.counters.longestName, name.data(), delimiter);
  }
}

void EndPathNameRecord(Run& run) {
  fputc('\n', run.listing);
  run.recordOpen = false;
  CountScreenLines(run, 1);
}

// A disk fills only with an output file, and the screen only without one.
void EndRecord(Run& run) {
  EndPathNameRecord(run);
  ++run.counters.lineCount;
  if (OutputDiskFull(run)) ContinueOnNewDisk(run);
}

}  // namespace korven
