// The state of one run: settings, counters, output streams and the platform.
// Every subsystem takes it explicitly, so a test builds a run in a few lines.
#ifndef KORVEN_RUN_RUN_H_
#define KORVEN_RUN_RUN_H_

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "run/run_settings.h"

namespace korven {

class CrcReadAhead;
class FileSystem;
class System;
class WalkAhead;

struct RunCounters {
  long dirCount = 0;
  long countedFiles = 0;
  int64_t countedBytes = 0;
  int longestPath = 0;
  int longestName = 0;
  long streamCount = 0;
  long streamDirCount = 0;
  long listedFiles = 0;
  int64_t listedBytes = 0;
  long lineCount = 0;
  long recordsPerDisk = 0;       // floppy estimate; 0 when the output is not on A: or B:
  long accumulatedRecordLength = 0;  // reported in the accounting file
  long failedChecks = 0;         // files whose signature check failed, or entries a check or comparison found amiss
  long failedChanges = 0;        // files -C or -E should have changed and did not
  // Entries of a check or a comparison by outcome, indexed by its number.
  long outcomes[8] = {};
};

// Text buffers reused for every file, so that no file allocates them anew.
struct RunBuffers {
  std::string fullPath;     // the file's path in the case found on disk
  std::string displayName;  // the name field's text
  std::string shownName;    // a name with control characters shown as '?'
  std::string erase;        // backspaces, blanks, backspaces over progress text
  std::string field;        // the record's field being written
};

// Where an SFV file (--sfv) lies, for the relative names it holds: settled
// before the walk. Paths are rooted and normal.
struct SfvPlace {
  std::string currentDirectory;
  std::string directory;  // the SFV file's directory; the current one on standard output
  FileId fileId;          // the SFV file itself; not known on standard output
};

// The named streams of the file whose CRC-32 was read last, read through the
// same descriptor and kept for its stream records.
struct KeptStreams {
  std::string path;  // that file's path; empty when none are kept
  StreamsRead read = StreamsRead::kRead;
  std::vector<StreamEntry> streams;
};

struct Run {
  Run(FileSystem& fileSystem, System& system) : fs(fileSystem), sys(system) {}
  // Closes an output file the run left open, while its buffer still exists.
  ~Run() {
    if (listingIsFile) fclose(listing);
  }
  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;

  FileSystem& fs;
  System& sys;

  RunSettings settings;
  OptionValues values;
  RunCounters counters;

  FILE* listing = stdout;      // records
  FILE* message = stderr;      // progress, diagnostics, summary
  FILE* accounting = nullptr;  // the accounting (log) file when open
  bool listingIsFile = false;  // the output file is open as the listing stream
  // A record's first field is written and its newline not yet: a run that
  // ends now ends the record, so that every line of the listing is whole.
  bool recordOpen = false;
  // With -P on the console: lines of the listing per screen before a pause,
  // and the lines shown since the last one. 0 when the listing never pauses.
  int screenLines = 0;
  int linesOnScreen = 0;
  // Standard output and standard error write to a console: records and
  // progress are handed on as they are made (see ShowAtConsole).
  bool listingAtConsole = false;
  bool messageAtConsole = false;

  int countingPass = 1;
  int volumeType = 1;
  int outputDriveIndex = -1;  // 0 for A:, 1 for B:, ...; -1 without a drive letter
  int64_t startTime = -1;     // seconds since 1970; -1 until taken
  // Today's DayNumber in local time for the files' ages: the clock is read
  // for it once, when the first age is wanted.
  std::optional<long> todayDayNumber;
  std::string moduleFileName;
  std::string timeZoneAbbreviation;

  // The read buffer of the CRC and the signature check, allocated on first
  // use and kept for the run.
  std::unique_ptr<unsigned char[]> readBuffer;
  // The output file's stdio buffer.
  std::unique_ptr<char[]> listingBuffer;
  RunBuffers buffers;
  KeptStreams keptStreams;
  SfvPlace sfv;
  bool terminating = false;
  // Writes the counts line of the summary for a check or a comparison;
  // null for a listing, whose counts are directories, files and bytes.
  void (*writeCounts)(Run& run, FILE* to) = nullptr;
  // Helper threads reading files ahead of the listing; null without them.
  CrcReadAhead* readAhead = nullptr;
  // A search ahead of the walk, which makes the walk's directory searches
  // and queues the files it lists for the helpers; null without it.
  WalkAhead* walkAhead = nullptr;
};

}  // namespace korven

#endif  // KORVEN_RUN_RUN_H_
