// The text of a listing record and the console header.
#ifndef KORVEN_LISTING_RECORD_LAYOUT_H_
#define KORVEN_LISTING_RECORD_LAYOUT_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "run/run_settings.h"

namespace korven {

struct Run;
struct TimeBlock;

// How a record writes its time and zone fields. A run's own comes from its
// settings; a listing being checked gives the one each record was written in.
struct TimeLayout {
  TimeKind kind = TimeKind::kWrite;  // a, c, w or 3 (never 0: then there are no fields)
  bool seconds = false;              // ":ss" after hours and minutes (always with 3)
  bool sortableDate = false;         // year/month/day
  bool zulu = false;                 // times in UTC, zone "GMT"
  char delimiter = ' ';
  char zone[4] = "";  // the zone abbreviation, without zulu
};

// The layout of the run's own records.
TimeLayout RunTimeLayout(const Run& run);
// Makes the first three characters of `abbreviation` the zone of `layout`.
void SetZone(std::string_view abbreviation, TimeLayout* layout);

// Appends the time field(s) and the zone field, each followed by the
// delimiter, as a record of `layout` shows `times`; returns the characters added.
int AppendTimeFields(const TimeLayout& layout, const TimeBlock& times, std::string* out);

// Title and dash lines, only on the console and without -v.
void WriteHeader(Run& run, const std::string& firstPath);

// The field writers, called in this order for file and stream records. Each
// field is followed by the delimiter, the last one too.

// The name left-aligned, padded and cut to the name width. A control
// character shows as '?' so that a record stays one line.
void WriteNameField(Run& run, const std::string& text);
// The name whole, then blanks up to the width as given and the delimiter:
// the bare name of a stream with -n.
void WriteWholeNameField(Run& run, const std::string& text);
void WriteCrcField(Run& run, const char* crcText);
void WriteSizeField(Run& run, int64_t size);
// A stream's size: right-aligned in 11 characters.
void WriteStreamSizeField(Run& run, int64_t size);
// The time field(s) and the zone, when date and time are printed; their
// characters are added to the accumulated record length.
void WriteTimeFields(Run& run, const TimeBlock& times);
// The 8.3 name (or the long name standing in for it), with -8.
void WriteDosNameField(Run& run, const std::string& dosName);
// With -88, the last fields: the extension padded to 3 characters (with E),
// then the upper-cased bare name, cut and padded to the -88 width, or padded
// to the longest name the counting pass found.
void WriteLongNameFields(Run& run, const std::string& bareName);
// The newline; counts the record, moves to a new disk when this one is full
// and pauses when the console's screen is (-P). At a console the record
// shows at once.
void EndRecord(Run& run);
// The newline of a -N record, which the disk estimate does not count.
void EndPathNameRecord(Run& run);

}  // namespace korven

#endif  // KORVEN_LISTING_RECORD_LAYOUT_H_
