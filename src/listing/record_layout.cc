#include "listing/record_layout.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <string_view>

#include "listing/file_times.h"
#include "run/listing_output.h"
#include "run/output_streams.h"
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

int AppendDate(const TimeLayout& layout, const CivilTime& t, std::string* out) {
  if (layout.sortableDate) return AppendFormat(out, "%04d/%02d/%02d%c", t.year, t.month, t.day, layout.delimiter);
  return AppendFormat(out, "%02d/%02d/%04d%c", t.month, t.day, t.year, layout.delimiter);
}

// One date-time group: the date, the time of day and its letter.
int AppendGroup(const TimeLayout& layout, const CivilTime& t, char letter, bool seconds, std::string* out) {
  int added = AppendDate(layout, t, out);
  added += seconds ? AppendFormat(out, "%02d:%02d:%02d", t.hour, t.minute, t.second)
                   : AppendFormat(out, "%02d:%02d", t.hour, t.minute);
  return added + AppendFormat(out, "%c%c", letter, layout.delimiter);
}

}  // namespace

TimeLayout RunTimeLayout(const Run& run) {
  TimeLayout layout;
  layout.kind = run.settings.timeKind;
  layout.seconds = run.settings.printSeconds != 0;
  layout.sortableDate = run.settings.sortableDate != 0;
  layout.zulu = run.settings.zuluTime != 0;
  layout.delimiter = run.values.delimiterChar;
  snprintf(layout.zone, sizeof layout.zone, "%s", run.timeZoneAbbreviation.c_str());
  return layout;
}

int AppendTimeFields(const TimeLayout& layout, const TimeBlock& times, std::string* out) {
  int added = 0;
  switch (layout.kind) {
    case TimeKind::kAllThree:
      // Seconds are always shown in this form.
      added += AppendGroup(layout, times.creation, 'c', true, out);
      added += AppendGroup(layout, times.write, 'w', true, out);
      added += AppendGroup(layout, times.access, 'a', true, out);
      break;
    case TimeKind::kAccess: added += AppendGroup(layout, times.access, 'a', layout.seconds, out); break;
    case TimeKind::kCreation: added += AppendGroup(layout, times.creation, 'c', layout.seconds, out); break;
    default: added += AppendGroup(layout, times.write, 'w', layout.seconds, out); break;
  }
  if (layout.zulu) return added + AppendFormat(out, "GMT%c", layout.delimiter);
  return added + AppendFormat(out, "%3.3s%c", layout.zone, layout.delimiter);
}

namespace {

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

void WriteWholeNameField(Run& run, const std::string& text) {
  run.recordOpen = true;
  fprintf(run.listing, "%-*s%c", run.settings.nameWidthGiven, Showable(text, &run.buffers.shownName),
          run.values.delimiterChar);
}

void WriteCrcField(Run& run, const char* crcText) {
  fprintf(run.listing, "%.8s%c", crcText, run.values.delimiterChar);
}

void WriteSizeField(Run& run, int64_t size) {
  fprintf(run.listing, " % 10" PRId64 "%c", size, run.values.delimiterChar);
}

void WriteStreamSizeField(Run& run, int64_t size) {
  fprintf(run.listing, "%11" PRId64 "%c", size, run.values.delimiterChar);
}

void WriteTimeFields(Run& run, const TimeBlock& times) {
  if (!TimesPrinted(run.settings)) return;
  std::string& fields = run.buffers.timeFields;
  fields.clear();
  run.counters.accumulatedRecordLength += AppendTimeFields(RunTimeLayout(run), times, &fields);
  fwrite(fields.data(), 1, fields.size(), run.listing);
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
  EndListingLine(run);
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
