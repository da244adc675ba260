#include "check/check_listings.h"

#include <cstring>
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
  std::string self;  // the listing file itself, rooted and normal
};

// One entry on its way through the check: decided at once (missing, not
// checkable, ...) or waiting for its CRC-32.
struct Pending {
  const ListedFile* listed = nullptr;
  std::optional<CheckOutcome> outcome;
  std::string path;  // the file, with a CRC-32 to compute
  FindEntry found;   // as looked up before it is read
};

// Consecutive entries whose files lie in one directory, read ahead together.
struct Batch {
  std::string dir;
  std::vector<Pending> entries;
  size_t toRead = 0;
};

struct CheckState {
  NameCache names;
  Uncheckable uncheckable;
  CheckProgress progress;
  std::string currentDirectory;
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
std::vector<ListingToCheck> ReadListings(Run& run, const std::string& currentDirectory) {
  std::vector<ListingToCheck> listings;
  for (const std::string& path : run.values.listingFiles) {
    ListingToCheck& one = listings.emplace_back();
    one.path = path;
    one.listing = ReadRunListing(run, path);
    one.self = AbsolutePath(currentDirectory, path);
    // The names of an SFV file start from its own directory.
    if (one.listing.form == ListingForm::kSfv) one.base = path.substr(0, NameStart(path));
  }
  return listings;
}

bool IsShortened(const std::string& name) { return name.find("...") != std::string::npos; }

// The colon that parts a stream record's object from its stream, in the
// last component of the name; npos when there is none.
size_t StreamColon(const std::string& name) {
  const size_t colon = name.find(':', NameStart(name));
  return colon == 0 ? std::string::npos : colon;
}

// Finds the file of a listed name and looks it up: an SFV name in its own
// case first, then, as a record's upper-cased name always is, without regard
// to case. A file found but gone by the look-up is missing.
Resolution Locate(Run& run, CheckState& state, const ListingToCheck& one, const std::string& name,
                  std::string* path, FindEntry* found) {
  if (one.listing.form == ListingForm::kSfv) {
    std::string exact = RootLength(name) > 0 ? name : one.base + name;
    if (run.fs.LookUp(exact, found)) {
      *path = std::move(exact);
      return Resolution::kFound;
    }
  }
  Resolution resolution = ResolveName(run.fs, &state.names, one.base, name, path);
  if (resolution == Resolution::kFound && !run.fs.LookUp(*path, found)) return Resolution::kMissing;
  return resolution;
}

CheckOutcome Unresolved(Resolution resolution, const std::string& name) {
  if (resolution == Resolution::kAmbiguous) return CheckOutcome::kAmbiguous;
  return IsShortened(name) ? CheckOutcome::kShortened : CheckOutcome::kMissing;
}

// Finds and looks up the entry's file; decides what needs no reading.
// False for the listing file itself, which was written while it was listed.
bool Prepare(Run& run, CheckState& state, const ListingToCheck& one, const ListedFile& listed, Pending* entry) {
  entry->listed = &listed;
  const std::string& name = listed.name;
  Resolution resolution = Locate(run, state, one, name, &entry->path, &entry->found);
  if (resolution != Resolution::kFound) {
    const size_t colon = StreamColon(name);
    std::string object;
    FindEntry objectFound;
    if (colon != std::string::npos &&
        Locate(run, state, one, name.substr(0, colon), &object, &objectFound) == Resolution::kFound) {
      ++state.uncheckable.streams;
      entry->outcome = CheckOutcome::kUncheckable;
    } else {
      entry->outcome = Unresolved(resolution, name);
    }
    return true;
  }
  if (SamePath(AbsolutePath(state.currentDirectory, entry->path), one.self)) return false;
  entry->found.name = entry->path.substr(NameStart(entry->path));
  if (entry->found.IsDirectory()) {
    entry->outcome = CheckOutcome::kUnreadable;
  } else if (listed.crcKind == ListedCrc::kError) {
    ++state.uncheckable.crcError;
    entry->outcome = CheckOutcome::kUncheckable;
  } else if (listed.crcKind == ListedCrc::kNone) {
    ++state.uncheckable.withoutCrc;
    entry->outcome = CheckOutcome::kUncheckable;
  }
  return true;
}

CheckOutcome Verify(Run& run, const Pending& entry) {
  char text[kCrcTextSize];
  uint32_t crc = 0;
  FileCrc(run, entry.path, &crc, text, run.values.displacement, entry.found.size);
  if (strcmp(text, "CRCERROR") == 0) return CheckOutcome::kUnreadable;
  if (crc == entry.listed->crc) return CheckOutcome::kOk;
  return WrittenSinceListed(run, *entry.listed, entry.found) ? CheckOutcome::kChanged : CheckOutcome::kFailed;
}

void Report(Run& run, CheckState& state, const ListedFile& listed, CheckOutcome outcome) {
  if (outcome == CheckOutcome::kMissing && run.settings.ignoreMissing) return;
  ++run.counters.outcomes[static_cast<int>(outcome)];
  if (outcome != CheckOutcome::kOk) ++run.counters.failedChecks;
  if (outcome == CheckOutcome::kOk && run.settings.quietLevel > 0) return;
  EraseCheckProgress(run, &state.progress);
  fprintf(run.listing, "%s: %s\n", Shown(listed.name).c_str(), OutcomeWord(outcome));
}

void CheckBatch(Run& run, CheckState& state, Batch* batch) {
  std::vector<const FindEntry*> toRead;
  for (const Pending& entry : batch->entries) {
    if (!entry.outcome) toRead.push_back(&entry.found);
  }
  CrcReadAheadBatch readAhead(run, batch->dir, toRead);
  for (const Pending& entry : batch->entries) {
    CheckInterrupt(run);
    ShowCheckProgress(run, &state.progress, ++state.done, entry.listed->name);
    Report(run, state, *entry.listed, entry.outcome ? *entry.outcome : Verify(run, entry));
  }
  batch->entries.clear();
  batch->toRead = 0;
}

void CheckListing(Run& run, CheckState& state, const ListingToCheck& one) {
  if (one.listing.files.empty()) {
    fprintf(run.message, "\n%s holds no entries to check\n", one.path.c_str());
    ++run.counters.failedChecks;
    return;
  }
  // No directory is read while a batch is read ahead: each entry is found
  // before the batch before it is checked.
  Batch batch;
  for (const ListedFile& listed : one.listing.files) {
    CheckInterrupt(run);
    Pending entry;
    if (!Prepare(run, state, one, listed, &entry)) {
      ++state.done;
      continue;
    }
    if (!entry.outcome) {
      std::string dir = entry.path.substr(0, NameStart(entry.path));
      if (batch.toRead > 0 && dir != batch.dir) CheckBatch(run, state, &batch);
      batch.dir = std::move(dir);
      ++batch.toRead;
    }
    batch.entries.push_back(std::move(entry));
  }
  CheckBatch(run, state, &batch);
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
  snprintf(layout.zone, sizeof layout.zone, "%s", run.timeZoneAbbreviation.c_str());
  TimeBlock times;
  ConvertTimes(run, now.times, &times, layout.zulu);
  std::string text;
  AppendTimeFields(layout, times, &text);
  return text != listed.timeText;
}

void CheckListings(Run& run) {
  run.writeCounts = WriteCheckCounts;
  CheckState state;
  state.currentDirectory = LexicallyNormal(run.sys.CurrentDirectory());
  const std::vector<ListingToCheck> listings = ReadListings(run, state.currentDirectory);
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
