// The listing written as an SFV file (--sfv): a comment line, then one line
// "path CRC" per file, which other CRC-32 tools read.
#ifndef KORVEN_LISTING_SFV_RECORD_H_
#define KORVEN_LISTING_SFV_RECORD_H_

#include <string>

namespace korven {

struct LookedUpFile;
struct Run;

// The comment line that begins the file, with the date and time of the run;
// also settles where the file lies, which relative names are written against.
void WriteSfvHeader(Run& run);

// The line of a file the file processor found and read. Its path is written
// as the walker built it when that is rooted, else relative to the SFV
// file's directory. A file whose CRC-32 can't be computed, or whose name
// holds a control character, is left out with a message, and so is the SFV
// file itself.
void ListSfvFile(Run& run, const std::string& fullPath, const LookedUpFile& found);

}  // namespace korven

#endif  // KORVEN_LISTING_SFV_RECORD_H_
