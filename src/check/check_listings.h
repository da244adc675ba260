// --check: the files named in listings and SFV files, checked against the disk.
#ifndef KORVEN_CHECK_CHECK_LISTINGS_H_
#define KORVEN_CHECK_CHECK_LISTINGS_H_

#include <cstdio>

namespace korven {

struct ListedFile;
struct FindEntry;
struct Run;

// What checking one entry came to; the numbers index the run's outcome counts.
enum class CheckOutcome {
  kOk,           // the CRC-32 matches
  kFailed,       // the CRC-32 differs but the size and time are as listed: the contents changed without a write
  kChanged,      // the CRC-32 differs and the file was written since it was listed
  kMissing,      // no such file
  kUnreadable,   // the file is there but can't be read
  kAmbiguous,    // the name matches more than one file
  kShortened,    // the name was shortened to fit its field and names no file
  kUncheckable,  // the entry holds no CRC-32 to check, or names a stream
};
constexpr int kCheckOutcomes = 8;

// The word of an outcome's line: "OK", "FAILED", ...
const char* OutcomeWord(CheckOutcome outcome);

// Whether a file whose CRC-32 no longer matches was written since it was
// listed: its size, or its time shown in the record's own time layout (GMT
// records in UTC), differs from what the record holds. An entry that holds
// neither (an SFV line) can't tell, and counts as not written.
bool WrittenSinceListed(Run& run, const ListedFile& listed, const FindEntry& now);

// Reads every listing file of the run, checks each entry, writes
// "NAME: OUTCOME" lines to the listing stream (only those that are not OK
// with -v) and ends the run: status 0 when every entry matched, 1 otherwise.
// A listing that can't be read or parsed ends it with reason 2 first.
[[noreturn]] void CheckListings(Run& run);

}  // namespace korven

#endif  // KORVEN_CHECK_CHECK_LISTINGS_H_
