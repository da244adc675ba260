#include "run/output_sort.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "run/run.h"
#include "run/run_settings.h"
#include "run/terminate.h"

namespace korven {

namespace {

// The fields of one record that keys compare, taken apart once per line.
struct SortableLine {
  std::string_view line;
  std::string_view name;
  std::string_view crc;
  int64_t size = 0;
  std::string time;  // YYYYMMDDhhmmss; empty when the record has no date
};

bool IsRecord(std::string_view line) { return !line.empty() && line.front() != ' '; }

std::string_view TrimRight(std::string_view text, char delimiter) {
  while (!text.empty() && (text.back() == ' ' || text.back() == delimiter)) text.remove_suffix(1);
  return text;
}

// Dates print as MM/DD/YYYY, or YYYY/MM/DD for -T, then the delimiter and
// hh:mm with :ss when seconds are shown.
std::string TimeKey(std::string_view field) {
  if (field.size() < 16 || (field[2] != '/' && field[4] != '/')) return "";
  std::string key;
  if (field[4] == '/') {
    key.append(field.substr(0, 4)).append(field.substr(5, 2)).append(field.substr(8, 2));
  } else {
    key.append(field.substr(6, 4)).append(field.substr(0, 2)).append(field.substr(3, 2));
  }
  key.append(field.substr(11, 2)).append(field.substr(14, 2));
  key.append(field.size() >= 19 && field[16] == ':' ? field.substr(17, 2) : "00");
  return key;
}

SortableLine Parse(std::string_view line, const RecordLayout& layout) {
  SortableLine parsed;
  parsed.line = line;
  size_t nameEnd = layout.variableWidth ? line.find(layout.delimiter)
                                        : static_cast<size_t>(std::max(layout.nameWidth, 0));
  nameEnd = std::min(nameEnd, line.size());
  parsed.name = TrimRight(line.substr(0, nameEnd), layout.delimiter);
  size_t at = std::min(nameEnd + 1, line.size());
  parsed.crc = line.substr(at, 8);
  at = std::min(at + 9, line.size());
  // The size is right-aligned behind a blank.
  while (at < line.size() && line[at] == ' ') ++at;
  bool negative = at < line.size() && line[at] == '-';
  if (negative) ++at;
  while (at < line.size() && isdigit(static_cast<unsigned char>(line[at]))) {
    parsed.size = parsed.size * 10 + (line[at] - '0');
    ++at;
  }
  if (negative) parsed.size = -parsed.size;
  parsed.time = TimeKey(line.substr(std::min(at + 1, line.size())));
  return parsed;
}

template <typename T>
int Compare(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

int CompareBy(char field, const SortableLine& a, const SortableLine& b) {
  switch (field) {
    case 'n': return Compare(a.name, b.name);
    case 'c': return Compare(a.crc, b.crc);
    case 's': return Compare(a.size, b.size);
    default: return Compare(a.time, b.time);
  }
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    size_t end = text.find('\n');
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return lines;
}

bool ReadWholeFile(const std::string& path, std::string* text) {
  FILE* file = fopen(path.c_str(), "r");
  if (file == nullptr) return false;
  char chunk[8192];
  size_t count;
  while ((count = fread(chunk, 1, sizeof chunk, file)) > 0) text->append(chunk, count);
  bool failed = ferror(file) != 0;
  fclose(file);
  return !failed;
}

bool WriteWholeFile(const std::string& path, const std::string& text) {
  FILE* file = fopen(path.c_str(), "w");
  if (file == nullptr) return false;
  bool written = fwrite(text.data(), 1, text.size(), file) == text.size();
  return fclose(file) == 0 && written;
}

}  // namespace

std::vector<SortKey> SortKeysOf(const OptionValues& values) {
  std::vector<SortKey> keys;
  const std::string& letters = values.sortKeyLetters;
  for (size_t i = 0; i < letters.size(); ++i) {
    char field = static_cast<char>(tolower(static_cast<unsigned char>(letters[i])));
    if (std::string_view("ncsd").find(field) == std::string_view::npos) continue;
    // sortKeys holds each letter's direction (-1 descending); the letter's
    // case stands in when a key was set up without it.
    bool descending = i < values.sortKeys.size()
                          ? values.sortKeys[i] < 0
                          : isupper(static_cast<unsigned char>(letters[i])) != 0;
    keys.push_back(SortKey{field, descending});
  }
  return keys;
}

std::string SortedListing(const std::string& text, const std::vector<SortKey>& keys,
                          const RecordLayout& layout) {
  std::vector<SortableLine> records;
  std::vector<std::string_view> others;
  for (std::string_view line : SplitLines(text)) {
    if (IsRecord(line)) {
      records.push_back(Parse(line, layout));
    } else {
      others.push_back(line);
    }
  }
  std::stable_sort(records.begin(), records.end(),
                   [&keys](const SortableLine& a, const SortableLine& b) {
                     if (keys.empty()) return a.line < b.line;
                     for (const SortKey& key : keys) {
                       int order = CompareBy(key.field, a, b);
                       if (order != 0) return key.descending ? order > 0 : order < 0;
                     }
                     return false;
                   });

  std::vector<std::string_view> order;
  for (const SortableLine& record : records) order.push_back(record.line);
  order.insert(order.end(), others.begin(), others.end());
  std::string sorted;
  sorted.reserve(text.size());
  for (size_t i = 0; i < order.size(); ++i) {
    if (i > 0) sorted += '\n';
    sorted.append(order[i]);
  }
  // A last line without its newline (the AUTOWIDTH note) stays without one.
  if (!text.empty() && text.back() == '\n') sorted += '\n';
  return sorted;
}

void SortOutputFile(Run& run) {
  fprintf(run.message, "\n\nSORTING OUTPUT\n\n\n");
  const std::string& path = run.values.outputPath;
  // Terminate is already running, so a failure here ends the process itself.
  std::string text;
  if (!ReadWholeFile(path, &text)) {
    fprintf(run.message, "\ncan't read output file %s for sorting\n", path.c_str());
    EndProcess(run, kInputFile);
  }
  RecordLayout layout;
  layout.nameWidth = run.settings.nameWidth;
  layout.variableWidth = run.settings.variableWidth != 0;
  layout.delimiter = run.values.delimiterChar;
  if (!WriteWholeFile(path, SortedListing(text, SortKeysOf(run.values), layout))) {
    fprintf(run.message, "\ncan't write sorted output file %s\n", path.c_str());
    EndProcess(run, kInputFile);
  }
}

}  // namespace korven
