// Handles one file found by the walker: filters, record, CRC-32, local changes.
#ifndef KORVEN_LISTING_FILE_PROCESSOR_H_
#define KORVEN_LISTING_FILE_PROCESSOR_H_

#include <string>

namespace korven {

struct Run;
struct FindEntry;

// `dir` ends in the path separator; `found` is the entry the directory search
// returned for the file (its name is the bare name as found on disk).
void ProcessFile(Run& run, const std::string& dir, const FindEntry& found);

}  // namespace korven

#endif  // KORVEN_LISTING_FILE_PROCESSOR_H_
