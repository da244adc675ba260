#include "check/listing_reader.h"

#include <cstdio>
#include <cstring>
#include <optional>

#include "run/run.h"
#include "run/terminate.h"
#include "text/text.h"

namespace korven {

namespace {

constexpr size_t kCrcLength = 8;
// The most digits a size field may hold without overflowing 64 bits.
constexpr size_t kMaxSizeDigits = 19;

struct Line {
  std::string_view text;
  long number;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsUpperHex(char c) { return IsDigit(c) || (c >= 'A' && c <= 'F'); }

int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  const char upper = UpperAscii(c);
  return upper >= 'A' && upper <= 'F' ? upper - 'A' + 10 : -1;
}

// 8 hexadecimal digits; records write upper case only, SFV files may not.
bool ParseHex8(std::string_view text, bool upperOnly, uint32_t* value) {
  if (text.size() != kCrcLength) return false;
  uint32_t result = 0;
  for (char c : text) {
    const int digit = HexValue(c);
    if (digit < 0 || (upperOnly && !IsUpperHex(c))) return false;
    result = result << 4 | static_cast<uint32_t>(digit);
  }
  *value = result;
  return true;
}

std::string_view TrimRight(std::string_view text, std::string_view blanks) {
  const size_t end = text.find_last_not_of(blanks);
  return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  long number = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    // Listings written on Win32 end their lines with CRLF.
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back({line, ++number});
    start = end + 1;
  }
  return lines;
}

// The lines a listing holds besides its records: empty lines, the console's
// title and dash lines, the run summary, the -M note and the continuation
// line of a full disk.
bool IsHeaderLine(std::string_view line) {
  if (line.empty() || line.find_first_not_of('-') == std::string_view::npos) return true;
  if (line.front() != ' ') return false;
  const size_t first = line.find_first_not_of(' ');
  if (first == std::string_view::npos) return true;
  const std::string_view text = line.substr(first);
  const auto holds = [line](const char* part) { return line.find(part) != std::string_view::npos; };
  return text.starts_with("FILE:") || line.starts_with("  Elapsed:") || line.starts_with(" AUTOWIDTH -Mw=") ||
         (line.starts_with(" (Includes ") && holds("holding data streams)")) ||
         (line.starts_with(" Processed ") && holds("See continuation disk")) ||
         (line.starts_with("  ") && holds(" director") && holds(" files, ") && holds(" bytes:"));
}

// "name CRC": the name, blanks, 8 hexadecimal digits.
bool ParseSfvLine(std::string_view line, ListedFile* file) {
  const size_t blank = line.find_last_of(" \t");
  if (blank == std::string_view::npos) return false;
  const std::string_view name = TrimRight(line.substr(0, blank), " \t");
  if (name.empty() || !ParseHex8(line.substr(blank + 1), false, &file->crc)) return false;
  file->name.assign(name);
  file->crcKind = ListedCrc::kValue;
  return true;
}

bool IsSfvComment(std::string_view line) { return line.empty() || line.front() == ';'; }

// "mm/dd/yyyy" or, with -T, "yyyy/mm/dd".
bool ParseDate(std::string_view text, bool* sortable) {
  if (text.size() < 10) return false;
  for (size_t i = 0; i < 10; ++i) {
    const bool slash = text[i] == '/';
    if (!slash && !IsDigit(text[i])) return false;
  }
  const auto slashesAt = [text](size_t a, size_t b) {
    for (size_t i = 0; i < 10; ++i) {
      if ((text[i] == '/') != (i == a || i == b)) return false;
    }
    return true;
  };
  if (slashesAt(2, 5)) {
    *sortable = false;
    return true;
  }
  if (slashesAt(4, 7)) {
    *sortable = true;
    return true;
  }
  return false;
}

bool IsTwoDigits(std::string_view text, size_t at) {
  return text.size() >= at + 2 && IsDigit(text[at]) && IsDigit(text[at + 1]);
}

// One date-time group from `at`: the date, the delimiter, hh:mm[:ss], the
// time letter and the delimiter. `*end` is where it ends.
struct TimeGroup {
  char letter = 0;
  bool seconds = false;
  bool sortable = false;
};
bool ParseGroup(std::string_view line, size_t at, char delimiter, TimeGroup* group, size_t* end) {
  std::string_view text = line.substr(at);
  if (!ParseDate(text, &group->sortable) || text.size() < 16 || text[10] != delimiter) return false;
  if (!IsTwoDigits(text, 11) || text[13] != ':' || !IsTwoDigits(text, 14)) return false;
  size_t p = 16;
  group->seconds = text.size() > p + 2 && text[p] == ':' && IsTwoDigits(text, p + 1);
  if (group->seconds) p += 3;
  if (text.size() < p + 2 || text[p + 1] != delimiter) return false;
  group->letter = text[p];
  if (group->letter != 'a' && group->letter != 'c' && group->letter != 'w') return false;
  *end = at + p + 2;
  return true;
}

// The time field(s) and the zone field from `at`: one group, or with -t3 the
// three groups c, w and a with seconds; then three characters of zone.
bool ParseTimes(std::string_view line, size_t at, char delimiter, TimeLayout* layout, size_t* end) {
  TimeGroup first;
  size_t p;
  if (!ParseGroup(line, at, delimiter, &first, &p)) return false;
  layout->kind = static_cast<TimeKind>(first.letter);
  layout->seconds = first.seconds;
  layout->sortableDate = first.sortable;
  TimeGroup write;
  TimeGroup access;
  size_t afterWrite;
  size_t afterAccess;
  if (first.letter == 'c' && first.seconds && ParseGroup(line, p, delimiter, &write, &afterWrite) &&
      write.letter == 'w' && write.seconds && ParseGroup(line, afterWrite, delimiter, &access, &afterAccess) &&
      access.letter == 'a' && access.seconds) {
    layout->kind = TimeKind::kAllThree;
    p = afterAccess;
  }
  if (line.size() < p + 4 || line[p + 3] != delimiter) return false;
  const std::string_view zone = line.substr(p, 3);
  layout->zulu = zone == "GMT";
  memcpy(layout->zone, zone.data(), 3);
  layout->zone[3] = '\0';
  layout->delimiter = delimiter;
  *end = p + 4;
  return true;
}

// The fields of a record after a name field `width` characters wide: the
// delimiter, the CRC-32, the size and the times as the layout options wrote
// them, and any end fields (8.3 name). False when they don't make up the
// rest of the line.
bool ParseRecordFields(std::string_view line, size_t width, ListedFile* file) {
  const size_t n = line.size();
  if (width == 0 || n < width + kCrcLength + 2) return false;
  const char delimiter = line[width];
  if (line[width + kCrcLength + 1] != delimiter) return false;
  const std::string_view crc = line.substr(width + 1, kCrcLength);
  file->crcKind = ListedCrc::kValue;
  if (crc == "CRCERROR") {
    file->crcKind = ListedCrc::kError;
  } else if (!ParseHex8(crc, true, &file->crc)) {
    return false;
  }
  file->hasSize = false;
  file->hasTimes = false;
  file->timeText.clear();
  size_t p = width + kCrcLength + 2;
  // A record whose signature check failed ends after its CRC-32.
  if (p == n) return true;

  // A file's size has a blank and at least 10 characters, right-aligned
  // with a blank for the sign; a stream's is right-aligned in 11.
  size_t digits = p;
  while (digits < n && line[digits] == ' ') ++digits;
  size_t end = digits;
  while (end < n && IsDigit(line[end])) ++end;
  if (end == digits || end - digits > kMaxSizeDigits || (digits == p && end - p < 11)) return false;
  if (end == n || line[end] != delimiter) return false;
  file->size = 0;
  for (size_t i = digits; i < end; ++i) file->size = file->size * 10 + static_cast<uint64_t>(line[i] - '0');
  file->hasSize = true;
  p = end + 1;

  size_t afterTimes;
  if (p < n && ParseTimes(line, p, delimiter, &file->timeLayout, &afterTimes)) {
    file->hasTimes = true;
    file->timeText.assign(line.substr(p, afterTimes - p));
    p = afterTimes;
  }
  // The end fields hold names, anything up to the last delimiter.
  return p == n || line.back() == delimiter;
}

// The widths of name field at which `line` parses as a record, smallest first.
std::vector<size_t> RecordWidths(std::string_view line) {
  std::vector<size_t> widths;
  ListedFile scratch;
  for (size_t width = 1; width + kCrcLength + 2 <= line.size(); ++width) {
    // Cheap tests first: the delimiter on both sides of a CRC-32 field.
    if (line[width] != line[width + kCrcLength + 1]) continue;
    const char first = line[width + 1];
    if (!IsUpperHex(first)) continue;
    if (ParseRecordFields(line, width, &scratch)) widths.push_back(width);
  }
  return widths;
}

std::string NotARecord(const Line& line) {
  return Format("line %ld is neither a listing record nor a title or summary line: \"%.60s\"", line.number,
                Shown(std::string(line.text)).c_str());
}

bool IsAlphanumeric(char c) { return IsDigit(c) || (UpperAscii(c) >= 'A' && UpperAscii(c) <= 'Z'); }

// Records of a listing made with -N: the name field and its delimiter. All
// end in the same delimiter, which is no letter or digit (so that a line of
// text is not taken for one); with a blank one, all are equally long.
bool ParsePathNameOnly(const std::vector<Line>& records, std::vector<ListedFile>* files, std::string* error) {
  const std::string_view first = records.front().text;
  for (const Line& record : records) {
    const std::string_view name = TrimRight(record.text.substr(0, record.text.size() - 1), " ");
    if (record.text.back() != first.back() || IsAlphanumeric(first.back()) || name.empty() ||
        (first.back() == ' ' && record.text.size() != first.size())) {
      *error = NotARecord(record);
      return false;
    }
    ListedFile file;
    file.name.assign(name);
    file.crcKind = ListedCrc::kNone;
    file.line = record.number;
    files->push_back(std::move(file));
  }
  return true;
}

// The records of one run, between title or summary lines: every record has
// the same name width, the smallest at which all of them parse. Records that
// share none have a width each (a variable-width listing).
bool ParseRun(const std::vector<Line>& records, std::vector<ListedFile>* files, std::string* error) {
  std::optional<std::vector<size_t>> shared;
  bool eachOwn = false;
  const Line* withoutWidth = nullptr;
  ListedFile scratch;
  for (const Line& record : records) {
    if (shared && !eachOwn) {
      std::vector<size_t> still;
      for (size_t width : *shared) {
        if (ParseRecordFields(record.text, width, &scratch)) still.push_back(width);
      }
      if (!still.empty()) {
        *shared = std::move(still);
        continue;
      }
    }
    std::vector<size_t> widths = RecordWidths(record.text);
    if (widths.empty()) {
      if (withoutWidth == nullptr) withoutWidth = &record;
    } else if (!shared) {
      shared = std::move(widths);
    } else {
      eachOwn = true;
    }
  }
  if (!shared) return ParsePathNameOnly(records, files, error);
  if (withoutWidth != nullptr) {
    *error = NotARecord(*withoutWidth);
    return false;
  }
  for (const Line& record : records) {
    const size_t width = eachOwn ? RecordWidths(record.text).front() : shared->front();
    ListedFile file;
    ParseRecordFields(record.text, width, &file);
    file.name.assign(TrimRight(record.text.substr(0, width), " "));
    file.line = record.number;
    files->push_back(std::move(file));
  }
  return true;
}

bool ParseRecords(const std::vector<Line>& lines, std::vector<ListedFile>* files, std::string* error) {
  std::vector<Line> run;
  for (const Line& line : lines) {
    if (!IsHeaderLine(line.text)) {
      run.push_back(line);
      continue;
    }
    if (!run.empty() && !ParseRun(run, files, error)) return false;
    run.clear();
  }
  return run.empty() || ParseRun(run, files, error);
}

bool ParseSfv(const std::vector<Line>& lines, std::vector<ListedFile>* files, std::string* error) {
  for (const Line& line : lines) {
    if (IsSfvComment(TrimRight(line.text, " \t"))) continue;
    ListedFile file;
    if (!ParseSfvLine(line.text, &file)) {
      *error = Format("line %ld is not an SFV line (a name, a blank and 8 hexadecimal digits): \"%.60s\"",
                      line.number, Shown(std::string(line.text)).c_str());
      return false;
    }
    file.line = line.number;
    files->push_back(std::move(file));
  }
  return true;
}

// Told by the first line that is not empty.
ListingForm FormOf(const std::vector<Line>& lines) {
  ListedFile scratch;
  for (const Line& line : lines) {
    if (line.text.empty()) continue;
    if (line.text.front() == ';') return ListingForm::kSfv;
    if (IsHeaderLine(line.text)) return ListingForm::kRecords;
    return ParseSfvLine(line.text, &scratch) ? ListingForm::kSfv : ListingForm::kRecords;
  }
  return ListingForm::kRecords;
}

}  // namespace

bool ParseListing(std::string_view text, Listing* listing, std::string* error) {
  const std::vector<Line> lines = SplitLines(text);
  listing->form = FormOf(lines);
  listing->files.clear();
  if (listing->form == ListingForm::kSfv) return ParseSfv(lines, &listing->files, error);
  return ParseRecords(lines, &listing->files, error);
}

bool ReadListing(const std::string& path, Listing* listing, std::string* error) {
  FILE* file = fopen(path.c_str(), "rb");
  if (file == nullptr) {
    *error = "can't be opened";
    return false;
  }
  std::string text;
  char chunk[65536];
  size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, got);
  const bool failed = ferror(file) != 0;
  fclose(file);
  if (failed) {
    *error = "can't be read";
    return false;
  }
  return ParseListing(text, listing, error);
}

Listing ReadRunListing(Run& run, const std::string& path) {
  Listing listing;
  std::string error;
  if (!ReadListing(path, &listing, &error)) {
    fprintf(run.message, "\n%s: %s\n", path.c_str(), error.c_str());
    Terminate(run, kInputFile);
  }
  return listing;
}

}  // namespace korven
