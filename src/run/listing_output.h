// The listing output file: opening, record length, continuation on a new disk.
#ifndef KORVEN_RUN_LISTING_OUTPUT_H_
#define KORVEN_RUN_LISTING_OUTPUT_H_

#include <cstdint>

namespace korven {

struct Run;

// Opens the output file when one was named and fixes the record length.
void OpenListingOutput(Run& run);
// Fixes how many records fit on an output disk in drive A: or B:; no-op elsewhere.
void EstimateRecordsPerDisk(Run& run);
// Closes the full output disk, asks for a new one and reopens the file.
void ContinueOnNewDisk(Run& run);
// Free bytes on the drive; ends the run with reason 3 when it can't be read.
uint64_t DiskFree(Run& run, char driveLetter);

}  // namespace korven

#endif  // KORVEN_RUN_LISTING_OUTPUT_H_
