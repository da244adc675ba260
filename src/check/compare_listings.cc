#include "check/compare_listings.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "check/listing_reader.h"
#include "run/output_streams.h"
#include "run/run.h"
#include "run/terminate.h"
#include "text/text.h"

namespace korven {

namespace {

struct Keyed {
  std::string key;
  const ListedFile* file;
};

std::vector<Keyed> KeyedByName(const Listing& listing, bool keepCase) {
  std::vector<Keyed> keyed;
  keyed.reserve(listing.files.size());
  for (const ListedFile& file : listing.files) keyed.push_back({keepCase ? file.name : UpperAscii(file.name), &file});
  std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) { return a.key < b.key; });
  return keyed;
}

std::string CrcText(const ListedFile& file) {
  if (file.crcKind == ListedCrc::kError) return "CRCERROR";
  if (file.crcKind == ListedCrc::kNone) return "none";
  return Format("%08" PRIX32, file.crc);
}

bool SameCrc(const ListedFile& a, const ListedFile& b) {
  return a.crcKind == b.crcKind && (a.crcKind != ListedCrc::kValue || a.crc == b.crc);
}

std::string ChangedLine(const ListedFile& old, const ListedFile& now) {
  std::string line = Format("CHANGED %s: CRC %s -> %s", Shown(now.name).c_str(), CrcText(old).c_str(),
                            CrcText(now).c_str());
  if (old.hasSize && now.hasSize) AppendFormat(&line, ", size %" PRIu64 " -> %" PRIu64, old.size, now.size);
  return line;
}

void WriteCompareCounts(Run& run, FILE* to) {
  const long* counts = run.counters.outcomes;
  fprintf(to, "\n  %ld changed, %ld added, %ld removed \n", counts[static_cast<int>(Difference::kChanged)],
          counts[static_cast<int>(Difference::kAdded)], counts[static_cast<int>(Difference::kRemoved)]);
}

}  // namespace

std::vector<ListingDifference> CompareListings(const Listing& old, const Listing& now) {
  const bool keepCase = old.form == ListingForm::kSfv && now.form == ListingForm::kSfv;
  const std::vector<Keyed> before = KeyedByName(old, keepCase);
  const std::vector<Keyed> after = KeyedByName(now, keepCase);
  std::vector<ListingDifference> differences;
  size_t i = 0;
  size_t j = 0;
  while (i < before.size() || j < after.size()) {
    if (j == after.size() || (i < before.size() && before[i].key < after[j].key)) {
      differences.push_back({Difference::kRemoved, "REMOVED " + Shown(before[i++].file->name)});
    } else if (i == before.size() || after[j].key < before[i].key) {
      differences.push_back({Difference::kAdded, "ADDED " + Shown(after[j++].file->name)});
    } else {
      const ListedFile& a = *before[i++].file;
      const ListedFile& b = *after[j++].file;
      if (!SameCrc(a, b) || (a.hasSize && b.hasSize && a.size != b.size)) {
        differences.push_back({Difference::kChanged, ChangedLine(a, b)});
      }
    }
  }
  return differences;
}

void CompareListingFiles(Run& run) {
  run.writeCounts = WriteCompareCounts;
  const Listing old = ReadRunListing(run, run.values.listingFiles.at(0));
  const Listing now = ReadRunListing(run, run.values.listingFiles.at(1));
  for (const ListingDifference& difference : CompareListings(old, now)) {
    ++run.counters.outcomes[static_cast<int>(difference.kind)];
    ++run.counters.failedChecks;
    fprintf(run.listing, "%s", difference.line.c_str());
    EndListingLine(run);
  }
  Terminate(run, kNormalExit);
}

}  // namespace korven
