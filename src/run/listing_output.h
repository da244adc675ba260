// The listing output file: opening, record length, continuation on a new disk.
#ifndef KORVEN_RUN_LISTING_OUTPUT_H_
#define KORVEN_RUN_LISTING_OUTPUT_H_

#include <cstdint>

namespace korven {

struct Run;
struct OptionValues;
struct RunSettings;

// Opens the output file when one was named and fixes the record length.
void OpenListingOutput(Run& run);
// Closes the full output disk, asks for a new one and reopens the file.
// Without a console to answer, the run ends with reason 3.
void ContinueOnNewDisk(Run& run);
// Free bytes on the drive; ends the run with reason 3 when it can't be read.
uint64_t DiskFree(Run& run, char driveLetter);

// Characters of one record for the settings: name, CRC-32, size, times,
// 8.3 name or the -88 fields, and newline.
int ListingRecordLength(const RunSettings& settings, const OptionValues& values);

// True when the listing goes to an output file on drive A: or B:, the disks
// that are replaced when full. Never on a platform without drive letters.
bool OutputOnRemovableDisk(const Run& run);
// How many records fit on an output disk in drive A: or B:, once before the
// main pass: sets recordsPerDisk from the free space and lineCount to 1.
// No-op elsewhere.
void EstimateRecordsPerDisk(Run& run);
// Whether the record just counted filled the disk. lineCount starts at 1 and
// grows after each record, so the disk is full when it passes recordsPerDisk:
// a disk with room for 100 records takes all 100 before ContinueOnNewDisk.
bool OutputDiskFull(const Run& run);

}  // namespace korven

#endif  // KORVEN_RUN_LISTING_OUTPUT_H_
