// The text of a listing record and the console header.
#ifndef KORVEN_LISTING_RECORD_LAYOUT_H_
#define KORVEN_LISTING_RECORD_LAYOUT_H_

#include <string>

namespace korven {

struct Run;

// Title and dash lines, only on the console and without -v.
void WriteHeader(Run& run, const std::string& firstPath);

}  // namespace korven

#endif  // KORVEN_LISTING_RECORD_LAYOUT_H_
