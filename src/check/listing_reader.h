// Reads listings back: the records KORVEN writes, in whatever record layout
// they were written, and SFV files.
#ifndef KORVEN_CHECK_LISTING_READER_H_
#define KORVEN_CHECK_LISTING_READER_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "listing/record_layout.h"

namespace korven {

struct Run;

enum class ListingForm { kRecords, kSfv };

// What stands in a record's CRC-32 field.
enum class ListedCrc {
  kValue,  // 8 hexadecimal digits
  kError,  // "CRCERROR": the file could not be read when it was listed
  kNone,   // no CRC-32 field (a listing made with -N)
};

// One entry of a listing: a record or an SFV line.
struct ListedFile {
  std::string name;  // as the listing shows it, without the name field's padding
  ListedCrc crcKind = ListedCrc::kNone;
  uint32_t crc = 0;
  bool hasSize = false;
  uint64_t size = 0;
  bool hasTimes = false;
  std::string timeText;   // the time and zone fields as written, delimiters included
  TimeLayout timeLayout;  // the layout `timeText` was written in
  long line = 0;          // the line of the listing, from 1
};

struct Listing {
  ListingForm form = ListingForm::kRecords;
  std::vector<ListedFile> files;
};

// Reads a listing's text. An SFV file is told by its lines: a comment line
// (";") or "name CRC" first. Records are read in any layout: the name
// field's width is the one at which every record of a run parses (so a file
// appended to by runs of other widths is read too); title, dash and summary
// lines are passed over. False, with `error` naming the line, when a line is
// neither an entry nor one of those.
bool ParseListing(std::string_view text, Listing* listing, std::string* error);

// Reads and parses the listing file `path`; false with `error` when it can't
// be read or a line can't be parsed.
bool ReadListing(const std::string& path, Listing* listing, std::string* error);

// ReadListing for a run: a listing that can't be read or parsed ends the
// run with reason 2 (INPUT_FILE), after a message naming the file and line.
Listing ReadRunListing(Run& run, const std::string& path);

}  // namespace korven

#endif  // KORVEN_CHECK_LISTING_READER_H_
