#include "check/check_listings.h"

#include <optional>
#include <string>
#include <vector>

#include "check/check_progress.h"
#include "check/listing_reader.h"
#include "check/name_resolver.h"
#include "crc/crc_read_ahead.h"
#include "crc/file_crc.h"
#include "listing/file_times.h"
#include "listing/record_layout.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/system.h"
#include "run/output_streams.h"
#include "run/run.h"
#include "run/terminate.h"
#include "text/text.h"

namespace korven {

namespace {

// Why entries could not be checked, for the notes after the lines.
struct Uncheckable {
  long crcError = 0;    // listed as CRCERROR
  long withoutCrc = 0;  // listed with -N
  long streams = 0;     // stream records
};

// One listing file as the check reads it.
struct ListingToCheck {
  std::string path;
  Listing listing;
  std::string base;  // where its relative names start: "" for the current directory
  FileId self;       // the listing file itself
};

// One entry on its way through the check: decided at once (missing, not
// checkable, ...) or waiting for its CRC-32.
struct Pending {
  const ListedFile* listed = nullptr;
  std::optional<CheckOutcome> outcome;
  std::string path;              // the file, with a CRC-32 to compute
  bool spelledAsListed = false;  // an SFV name taken as it stands, not yet looked for
  FindEntry toRead;              // what the read-ahead is given
  CrcOutcome crc;                // what reading it came to
};

// Consecutive entries are read ahead together in batches of this many:
// enough that the read-ahead seldom waits for its helpers at a batch's end.
constexpr size_t kBatchEntries = 1024;

struct CheckState {
  NameCache names;
  Uncheckable uncheckable;
  CheckProgress progress;
  long done = 0;
};

const char* const kOutcomeWords[kCheckOutcomes] = {"OK",         "FAILED",    "CHANGED",   "MISSING",
                                                   "UNREADABLE", "AMBIGUOUS", "SHORTENED", "UNCHECKABLE"};
const char* const kOutcomeCounts[kCheckOutcomes] = {"OK",         "failed",    "changed",   "missing",
                                                    "unreadable", "ambiguous", "shortened", "not checkable"};

void WriteCheckCounts(Run& run, FILE* to) {
  long entries = 0;
  for (long count : run.counters.outcomes) entries += count;
  fprintf(to, "\n  %ld entries checked:", entries);
  for (int i = 0; i < kCheckOutcomes; ++i) {
    fprintf(to, "%s %ld %s", i == 0 ? "" : ",", run.counters.outcomes[i], kOutcomeCounts[i]);
  }
  fprintf(to, " \n");
}

// Every listing is read before any file is, so that a bad line stops the
// check before it takes its time.
std::vector<ListingToCheck> ReadListings(Run& run) {
  std::vector<ListingToCheck> listings;
  for (const std::string& path : run.values.listingFiles) {
    ListingToCheck& one = listings.emplace_back();
    one.path = path;
    one.listing = ReadRunListing(run, path);
    one.self = IdOf(run.fs, path);
    // The names of an SFV file start from its own directory.
    if (one.listing.form == ListingForm::kSfv) one.base = path.substr(0, NameStart(path));
  }
  return listings;
}

bool IsShortened(const std::string& name) { return name.find("...") != std::string::npos; }

// Whether `name` is a stream record, "path:stream": a colon in its last
// component parts a file that is there from the stream. A file's name may
// hold colons too, and so may a stream's on POSIX: each colon is tried.
bool IsStreamRecord(Run& run, CheckState& state, const ListingToCheck& one, const std::string& name) {
  std::string object;
  for (size_t colon = name.find(':', NameStart(name) + 1); colon != std::string::npos;
       colon = name.find(':', colon + 1)) {
    if (ResolveName(run.fs, &state.names, one.base, name.substr(0, colon), &object) == Resolution::kFound) {
      return true;
    }
  }
  return false;
}

// A name that names no file: the stream of a file, a name shortened to fit
// its field, or a file that is not there.
CheckOutcome Unlocated(Run& run, CheckState& state, const ListingToCheck& one, const std::string& name,
                       Resolution resolution) {
  if (resolution == Resolution::kAmbiguous) return CheckOutcome::kAmbiguous;
  if (IsStreamRecord(run, state, one, name)) {
    ++state.uncheckable.streams;
    return CheckOutcome::kUncheckable;
  }
  return IsShortened(name) ? CheckOutcome::kShortened : CheckOutcome::kMissing;
}

// Finds the entry's file and decides what needs no reading. A record's
// upper-cased name is matched without regard to case; an SFV name is first
// taken as spelled, and only looked for when that can't be read.
void Prepare(Run& run, CheckState& state, const ListingToCheck& one, const ListedFile& listed, Pending* entry) {
  entry->listed = &listed;
  const std::string& name = listed.name;
  if (one.listing.form == ListingForm::kSfv) {
    entry->path = RootLength(name) > 0 ? name : one.base + name;
    entry->spelledAsListed = true;
  } else {
    Resolution resolution = ResolveName(run.fs, &state.names, one.base, name, &entry->path);
    if (resolution != Resolution::kFound) {
      entry->outcome = Unlocated(run, state, one, name, resolution);
      return;
    }
  }
  if (listed.crcKind == ListedCrc::kError) {
    ++state.uncheckable.crcError;
    entry->outcome = CheckOutcome::kUncheckable;
  } else if (listed.crcKind == ListedCrc::kNone) {
    ++state.uncheckable.withoutCrc;
    entry->outcome = CheckOutcome::kUncheckable;
  }
  // The read-ahead reads a batch's files by name from an empty directory.
  entry->toRead.name = entry->path;
}

void ReadCrc(Run& run, Pending* entry) {
  char text[kCrcTextSize];
  entry->crc = FileCrc(run, entry->path, run.values.displacement, text);
}

// What the entry's CRC-32 came to. The file's size and time, as the read
// found them before it began, tell a change from corruption. A file that
// could not be opened may be missing, or an SFV name spelled in another case.
// Nothing for the listing file itself, which was written while it was listed.
std::optional<CheckOutcome> Judge(Run& run, CheckState& state, const ListingToCheck& one, Pending* entry) {
  const CrcOutcome& crc = entry->crc;
  if (crc.Opened() && crc.file.id.Known() && crc.file.id == one.self) return std::nullopt;
  switch (crc.result) {
    case CrcRead::kDone:
      if (crc.value == entry->listed->crc) return CheckOutcome::kOk;
      return WrittenSinceListed(run, *entry->listed, crc.file) ? CheckOutcome::kChanged : CheckOutcome::kFailed;
    case CrcRead::kCannotOpen:
      break;
    default:
      return CheckOutcome::kUnreadable;
  }
  FindEntry there;
  if (run.fs.LookUp(entry->path, &there)) return CheckOutcome::kUnreadable;
  if (!entry->spelledAsListed) return CheckOutcome::kMissing;
  entry->spelledAsListed = false;
  Resolution resolution = ResolveName(run.fs, &state.names, one.base, entry->listed->name, &entry->path);
  if (resolution != Resolution::kFound) return Unlocated(run, state, one, entry->listed->name, resolution);
  ReadCrc(run, entry);
  return Judge(run, state, one, entry);
}

void Report(Run& run, CheckState& state, const ListedFile& listed, std::optional<CheckOutcome> judged) {
  if (!judged) return;
  const CheckOutcome outcome = *judged;
  if (outcome == CheckOutcome::kMissing && run.settings.ignoreMissing) return;
  ++run.counters.outcomes[static_cast<int>(outcome)];
  if (outcome != CheckOutcome::kOk) ++run.counters.failedChecks;
  if (outcome == CheckOutcome::kOk && run.settings.quietLevel > 0) return;
  EraseCheckProgress(run, &state.progress);
  fprintf(run.listing, "%s: %s", Shown(listed.name).c_str(), OutcomeWord(outcome));
  EndListingLine(run);
}

// Reads the batch's files with the read-ahead, then, with no file being
// read, looks up what needs it and reports every entry in order.
void CheckBatch(Run& run, CheckState& state, const ListingToCheck& one, std::vector<Pending>* batch) {
  {
    std::vector<const FindEntry*> toRead;
    for (const Pending& entry : *batch) {
      if (!entry.outcome) toRead.push_back(&entry.toRead);
    }
    CrcReadAheadBatch readAhead(run, "", toRead);
    for (Pending& entry : *batch) {
      CheckInterrupt(run);
      ShowCheckProgress(run, &state.progress, ++state.done, entry.listed->name);
      if (!entry.outcome) ReadCrc(run, &entry);
    }
  }
  for (Pending& entry : *batch) {
    Report(run, state, *entry.listed, entry.outcome ? entry.outcome : Judge(run, state, one, &entry));
  }
  batch->clear();
}

void CheckListing(Run& run, CheckState& state, const ListingToCheck& one) {
  if (one.listing.files.empty()) {
    fprintf(run.message, "\n%s holds no entries to check\n", one.path.c_str());
    ++run.counters.failedChecks;
    return;
  }
  // No directory is read while a batch is read ahead: a batch's names are
  // all found before its files are read.
  std::vector<Pending> batch;
  for (const ListedFile& listed : one.listing.files) {
    CheckInterrupt(run);
    Pending& entry = batch.emplace_back();
    Prepare(run, state, one, listed, &entry);
    if (batch.size() == kBatchEntries) CheckBatch(run, state, one, &batch);
  }
  CheckBatch(run, state, one, &batch);
}

void WriteNotes(Run& run, const Uncheckable& uncheckable) {
  const long shortened = run.counters.outcomes[static_cast<int>(CheckOutcome::kShortened)];
  if (shortened > 0) {
    fprintf(run.message, "\n%ld names were shortened to fit the name field: list with -M or -w 0 to check them\n",
            shortened);
  }
  if (uncheckable.crcError > 0) {
    fprintf(run.message, "\n%ld entries are listed as CRCERROR: they could not be read when they were listed\n",
            uncheckable.crcError);
  }
  if (uncheckable.withoutCrc > 0) {
    fprintf(run.message, "\n%ld entries hold no CRC-32: their listing was made with -N\n", uncheckable.withoutCrc);
  }
  if (uncheckable.streams > 0) {
    fprintf(run.message, "\n%ld stream records were not checked: named streams can't be read yet\n",
            uncheckable.streams);
  }
}

}  // namespace

const char* OutcomeWord(CheckOutcome outcome) { return kOutcomeWords[static_cast<int>(outcome)]; }

bool WrittenSinceListed(Run& run, const ListedFile& listed, const FindEntry& now) {
  if (listed.hasSize && listed.size != now.size) return true;
  if (!listed.hasTimes) return false;
  // As this run would write the record in that layout, with its own zone.
  TimeLayout layout = listed.timeLayout;
  SetZone(run.timeZoneAbbreviation, &layout);
  TimeBlock times;
  ConvertTimes(run, now.times, &times, layout.zulu);
  std::string text;
  AppendTimeFields(layout, times, &text);
  return text != listed.timeText;
}

void CheckListings(Run& run) {
  run.writeCounts = WriteCheckCounts;
  CheckState state;
  const std::vector<ListingToCheck> listings = ReadListings(run);
  long total = 0;
  for (const ListingToCheck& one : listings) total += static_cast<long>(one.listing.files.size());

  CrcReadAhead readAhead(run, CrcReadAhead::HelpersFor(run));
  state.progress = StartCheckProgress(run, total);
  for (const ListingToCheck& one : listings) CheckListing(run, state, one);
  EraseCheckProgress(run, &state.progress);
  WriteNotes(run, state.uncheckable);
  Terminate(run, kNormalExit);
}

}  // namespace korven
