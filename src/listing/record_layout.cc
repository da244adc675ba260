#include "listing/record_layout.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "listing/file_times.h"
#include "run/listing_output.h"
#include "run/run.h"

namespace korven {

namespace {

constexpr int kMaxBlanks = 199;  // the run's blank line
constexpr int kMaxDashes = 78;

// `text` with control characters shown as '?', in a buffer reused per caller.
const char* Showable(const std::string& text, std::string* buffer) {
  buffer->assign(text);
  for (char& c : *buffer) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) c = '?';
  }
  return buffer->c_str();
}

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
    // The seconds take the room.
    s.nameWidth -= 3;
    run.values.recordLength -= 3;
  }
  if (s.pathNameOnly) {
    fprintf(run.listing, "%.*s  FILE: \n", Blanks(s.nameWidthGiven / 2 - 3), BlankLine());
    WriteDashes(run, s.nameWidthGiven);
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
}

void WriteNameField(Run& run, const std::string& text) {
  const int width = run.settings.nameWidth;
  fprintf(run.listing, "%-*.*s%c", width, width, Showable(text, &run.buffers.shownName),
          run.values.delimiterChar);
}

void WriteWholeNameField(Run& run, const std::string& text) {
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

void EndRecord(Run& run) {
  fputc('\n', run.listing);
  ++run.counters.lineCount;
  if (OutputDiskFull(run)) ContinueOnNewDisk(run);
}

}  // namespace korven
