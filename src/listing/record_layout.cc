#include "listing/record_layout.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string_view>

#include "listing/file_times.h"
#include "run/listing_output.h"
#include "run/output_streams.h"
#include "run/run.h"
#include "run/screen_pause.h"
#include "text/field_text.h"
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

// The field being made, in the run's buffer, empty.
std::string& StartField(Run& run) {
  run.buffers.field.clear();
  return run.buffers.field;
}

// Writes the field made, then the delimiter, with one call.
void PutField(Run& run) {
  std::string& field = run.buffers.field;
  field.push_back(run.values.delimiterChar);
  fwrite(field.data(), 1, field.size(), run.listing);
}

bool TimesPrinted(const RunSettings& s) { return s.printDateTime != 0 && s.timeKind != TimeKind::kNone; }

void AppendDate(const TimeLayout& layout, const CivilTime& t, std::string* out) {
  if (layout.sortableDate) {
    AppendZeroPadded(out, t.year, 4);
    out->push_back('/');
    AppendZeroPadded(out, t.month, 2);
    out->push_back('/');
    AppendZeroPadded(out, t.day, 2);
  } else {
    AppendZeroPadded(out, t.month, 2);
    out->push_back('/');
    AppendZeroPadded(out, t.day, 2);
    out->push_back('/');
    AppendZeroPadded(out, t.year, 4);
  }
  out->push_back(layout.delimiter);
}

// One date-time group: the date, the time of day and its letter.
void AppendGroup(const TimeLayout& layout, const CivilTime& t, char letter, bool seconds, std::string* out) {
  AppendDate(layout, t, out);
  AppendZeroPadded(out, t.hour, 2);
  out->push_back(':');
  AppendZeroPadded(out, t.minute, 2);
  if (seconds) {
    out->push_back(':');
    AppendZeroPadded(out, t.second, 2);
  }
  out->push_back(letter);
  out->push_back(layout.delimiter);
}

}  // namespace

TimeLayout RunTimeLayout(const Run& run) {
  TimeLayout layout;
  layout.kind = run.settings.timeKind;
  layout.seconds = run.settings.printSeconds != 0;
  layout.sortableDate = run.settings.sortableDate != 0;
  layout.zulu = run.settings.zuluTime != 0;
  layout.delimiter = run.values.delimiterChar;
  SetZone(run.timeZoneAbbreviation, &layout);
  return layout;
}

void SetZone(std::string_view abbreviation, TimeLayout* layout) {
  // Set for every record: a copy, not a formatted print.
  const size_t kept = abbreviation.copy(layout->zone, sizeof layout->zone - 1);
  std::fill(layout->zone + kept, std::end(layout->zone), '\0');
}

int AppendTimeFields(const TimeLayout& layout, const TimeBlock& times, std::string* out) {
  const size_t before = out->size();
  switch (layout.kind) {
    case TimeKind::kAllThree:
      // Seconds are always shown in this form.
      AppendGroup(layout, times.creation, 'c', true, out);
      AppendGroup(layout, times.write, 'w', true, out);
      AppendGroup(layout, times.access, 'a', true, out);
      break;
    case TimeKind::kAccess: AppendGroup(layout, times.access, 'a', layout.seconds, out); break;
    case TimeKind::kCreation: AppendGroup(layout, times.creation, 'c', layout.seconds, out); break;
    default: AppendGroup(layout, times.write, 'w', layout.seconds, out); break;
  }
  // The zone right-aligned in three characters.
  const std::string_view zone = layout.zulu ? "GMT" : std::string_view(layout.zone, strnlen(layout.zone, 3));
  out->append(3 - zone.size(), ' ').append(zone).push_back(layout.delimiter);
  return static_cast<int>(out->size() - before);
}

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
  run.recordOpen = true;
  std::string& field = StartField(run);
  AppendLeftAligned(&field, Showable(text, &run.buffers.shownName), run.settings.nameWidth, true);
  PutField(run);
}

void WriteWholeNameField(Run& run, const std::string& text) {
  run.recordOpen = true;
  std::string& field = StartField(run);
  AppendLeftAligned(&field, Showable(text, &run.buffers.shownName), run.settings.nameWidthGiven, false);
  PutField(run);
}

void WriteCrcField(Run& run, const char* crcText) {
  StartField(run).append(crcText, strnlen(crcText, 8));
  PutField(run);
}

void WriteSizeField(Run& run, int64_t size) {
  std::string& field = StartField(run);
  field.push_back(' ');
  AppendRightAligned(&field, size, 10, true);
  PutField(run);
}

void WriteStreamSizeField(Run& run, int64_t size) {
  AppendRightAligned(&StartField(run), size, 11);
  PutField(run);
}

void WriteTimeFields(Run& run, const TimeBlock& times) {
  if (!TimesPrinted(run.settings)) return;
  std::string& fields = StartField(run);
  run.counters.accumulatedRecordLength += AppendTimeFields(RunTimeLayout(run), times, &fields);
  fwrite(fields.data(), 1, fields.size(), run.listing);
}

void WriteDosNameField(Run& run, const std::string& dosName) {
  if (!run.settings.print83Name) return;
  std::string& field = StartField(run);
  field.push_back(' ');
  AppendLeftAligned(&field, Showable(dosName, &run.buffers.shownName), 15, false);
  PutField(run);
}

void WriteLongNameFields(Run& run, const std::string& bareName) {
  const RunSettings& s = run.settings;
  if (s.longNameMode == 0) return;
  const std::string_view name = Showable(UpperAscii(bareName), &run.buffers.shownName);
  std::string& field = StartField(run);
  if (s.extensionField) {
    const size_t dot = name.rfind('.');
    AppendLeftAligned(&field, dot == std::string_view::npos ? "" : name.substr(dot + 1), 3, false);
    field.push_back(run.values.delimiterChar);
  }
  if (s.longNameMode == 2) {
    AppendLeftAligned(&field, name, run.values.longNameWidth, true);
  } else {
    AppendLeftAligned(&field, name, run.counters.longestName, false);
  }
  PutField(run);
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
