// Handles one file found by the walker: filters, record, CRC-32, local changes.
#ifndef KORVEN_LISTING_FILE_PROCESSOR_H_
#define KORVEN_LISTING_FILE_PROCESSOR_H_

#include <string>

namespace korven {

struct Run;
struct FindEntry;

// `dir` ends in the path separator; `found` is the entry the directory search
// returned for the file (its name is the bare name as found on disk), so the
// file is not looked up again.
void ProcessFile(Run& run, const std::string& dir, const FindEntry& found);

// For a caller that holds only the bare name: looks the file up first (with
// the '?' fallback for names with bytes above 0x7F); a file that can't be
// found is skipped silently.
void ProcessFile(Run& run, const std::string& dir, const std::string& name);

}  // namespace korven

#endif  // KORVEN_LISTING_FILE_PROCESSOR_H_
