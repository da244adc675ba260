// Rewrites the closed output file with its lines in the order of the sort keys.
#ifndef KORVEN_RUN_OUTPUT_SORT_H_
#define KORVEN_RUN_OUTPUT_SORT_H_

#include <string>
#include <vector>

namespace korven {

struct Run;
struct OptionValues;

// Reports "SORTING OUTPUT" and sorts the output file in place. Called while
// Terminate runs: a file that cannot be read or rewritten ends the process
// with status 2 through EndProcess.
void SortOutputFile(Run& run);

// One key of -Y: the letter n (name), c (CRC-32), s (size) or d (first date
// and time) in lower case for ascending, upper case for descending.
struct SortKey {
  char field;
  bool descending;
};

// The usable keys of the -Y letters, in the order given; others are skipped.
std::vector<SortKey> SortKeysOf(const OptionValues& values);

// Where a record's fields lie: the name field is `nameWidth` characters wide,
// or reaches the first delimiter when its width varies.
struct RecordLayout {
  int nameWidth = 35;
  bool variableWidth = false;
  char delimiter = ' ';
};

// The listing `text` with its records stably sorted by `keys` (by the whole
// line without keys). Lines that are empty or begin with a blank (summary,
// continuation and AUTOWIDTH lines) are not records: they follow the records
// in the order they had.
std::string SortedListing(const std::string& text, const std::vector<SortKey>& keys,
                          const RecordLayout& layout);

}  // namespace korven

#endif  // KORVEN_RUN_OUTPUT_SORT_H_
