// --compare OLD NEW: two listings (or two SFV files) compared entry by entry.
#ifndef KORVEN_CHECK_COMPARE_LISTINGS_H_
#define KORVEN_CHECK_COMPARE_LISTINGS_H_

#include <string>
#include <vector>

namespace korven {

struct Listing;
struct Run;

// One difference: "CHANGED NAME: ...", "ADDED NAME" or "REMOVED NAME".
enum class Difference { kChanged, kAdded, kRemoved };
struct ListingDifference {
  Difference kind;
  std::string line;  // without the newline
};

// The differences between two listings, sorted by name: entries are keyed
// by their name as it stands (upper-cased unless both are SFV files, whose
// names keep their case); an entry is changed when its CRC-32, or the size
// both listings hold, differs. A name listed more than once pairs its
// entries in order.
std::vector<ListingDifference> CompareListings(const Listing& old, const Listing& now);

// Reads the run's two listing files, writes the differences to the listing
// stream and ends the run: status 0 when there are none, 1 otherwise.
[[noreturn]] void CompareListingFiles(Run& run);

}  // namespace korven

#endif  // KORVEN_CHECK_COMPARE_LISTINGS_H_
