#include "walk/walker.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "crc/crc_read_ahead.h"
#include "listing/file_processor.h"
#include "listing/progress.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "run/output_streams.h"
#include "run/run.h"
#include "run/terminate.h"
#include "streams/directory_streams.h"
#include "streams/stream_reader.h"
#include "text/text.h"
#include "walk/exclusion.h"
#include "walk/walk_ahead.h"

namespace korven {

namespace {

// Paths that would not fit the path buffers are skipped, not cut. The main
// pass reports them; the counting pass skips the same ones quietly. The path
// is `path` followed by `name`, joined only for the report.
bool FitsOrReport(Run& run, const std::string& path, std::string_view name) {
  if (FitsPathBuffer(path, name)) return true;
  if (run.countingPass == 0) {
    std::string whole = path;
    whole += name;
    fprintf(run.message, "\nPath longer than %zu characters skipped: %.60s...\n",
            kPathBufferSize - 1, whole.c_str());
  }
  return false;
}

void AddDirectoryStreams(Run& run, const std::string& dirPath) {
  long found = ListDirectoryStreamsOf(run, dirPath);
  run.counters.streamCount += found;
  if (found != 0) ++run.counters.streamDirCount;
}

void CountFile(Run& run, const std::string& path, const FindEntry& entry) {
  run.counters.countedFiles += 1;
  run.counters.countedBytes += static_cast<int64_t>(entry.size);
  if (run.settings.longNameMode == 1) {
    run.counters.longestName = std::max(run.counters.longestName, static_cast<int>(entry.name.size()));
  }
  if (run.settings.autoWidth) {
    run.counters.longestPath =
        std::max(run.counters.longestPath, static_cast<int>(path.size() + entry.name.size()));
  }
}

bool CountsFiles(const Run& run) { return run.countingPass == 1 && run.settings.outputMode != OutputMode::kStandardOutput; }

// The counting pass counts sizes as the directory search gives them; the
// main pass needs only names and types, since each file is looked up again
// when it is processed.
FindDetail DetailNeeded(const Run& run) { return CountsFiles(run) ? FindDetail::kFull : FindDetail::kTypes; }

// A directory search of the walk: the one made ahead, where it was.
bool SearchDirectory(Run& run, const std::string& dir, const std::string& pattern, std::vector<FindEntry>* found) {
  bool searched;
  if (run.walkAhead != nullptr && run.countingPass == 0 && run.walkAhead->TakeSearch(dir, pattern, found, &searched)) {
    return searched;
  }
  return run.fs.FindFiles(dir, pattern, DetailNeeded(run), found);
}

// A file entry the main pass hands to the file processor.
bool IsProcessed(Run& run, const std::string& path, const FindEntry& entry) {
  return !CountsFiles(run) && IsListedFile(run, path, entry);
}

// `processed`: IsProcessed of the entry, decided once for the directory.
void HandleEntry(Run& run, const std::string& path, const FindEntry& entry, bool processed) {
  if (entry.IsDirectory()) {
    // With recursion a subdirectory's streams come when it is walked itself.
    if (!run.settings.recurse && StreamsShown(run) && !IsDotEntry(entry.name) &&
        FitsOrReport(run, path, entry.name)) {
      AddDirectoryStreams(run, path + entry.name);
    }
    return;
  }
  if (!FitsOrReport(run, path, entry.name)) return;
  if (CountsFiles(run)) {
    // Filters come later: the count is of everything the main pass may list.
    CountFile(run, path, entry);
    return;
  }
  if (processed) ProcessFile(run, path, entry.name);
}

// The entries of `found` the file processor will read, in order, for the
// read-ahead.
std::vector<const FindEntry*> FilesToRead(const Run& run, const std::vector<FindEntry>& found,
                                          const std::vector<bool>& processed) {
  std::vector<const FindEntry*> files;
  if (run.readAhead == nullptr || run.walkAhead != nullptr) return files;
  for (size_t i = 0; i < found.size(); ++i) {
    if (processed[i]) files.push_back(&found[i]);
  }
  return files;
}

}  // namespace

void WalkPath(Run& run, const std::string& path) {
  if (!FitsOrReport(run, path, "*.*")) return;
  std::vector<FindEntry> entries;
  if (!SearchDirectory(run, path, "*.*", &entries) || entries.empty()) return;

  // The first entry is "." everywhere but at the root of a drive; a POSIX
  // root has one, and is left out too.
  if (StreamsShown(run) && entries.front().name == "." && !IsRoot(path)) {
    AddDirectoryStreams(run, path.substr(0, path.size() - 1));
  }

  if (!run.settings.recurse) {
    if (run.countingPass != 1) ++run.counters.dirCount;
  } else {
    for (const FindEntry& entry : entries) {
      CheckInterrupt(run);
      if (!entry.IsDirectory() || IsDotEntry(entry.name)) continue;
      if (run.countingPass != 1) ++run.counters.dirCount;
      WalkPath(run, path + entry.name + kPathSeparator);
    }
  }

  int countWritten = 0;
  int pathWritten = 0;
  if (run.settings.outputMode != OutputMode::kStandardOutput) {
    if (!run.settings.immediate && !run.settings.quietLevel && run.countingPass == 0) {
      countWritten = fprintf(run.message, " %6ld ", run.counters.listedFiles);
    }
    pathWritten = fprintf(run.message, "%.*s ", 55, Showable(path, &run.buffers.shownName));
    ShowAtConsole(run);
  }
  ListDirectory(run, path);
  EraseProgress(run, pathWritten);
  EraseProgress(run, countWritten);
}

void ListDirectory(Run& run, const std::string& path) {
  for (const std::string& type : run.values.searchTypes) {
    if (!type.empty() && type.front() == '-') break;
    if (!FitsOrReport(run, path, type)) continue;
    std::vector<FindEntry> found;
    if (!SearchDirectory(run, path, type, &found)) continue;
    std::vector<bool> processed(found.size());
    for (size_t i = 0; i < found.size(); ++i) processed[i] = IsProcessed(run, path, found[i]);
    CrcReadAheadBatch readAhead(run, path, FilesToRead(run, found, processed));
    for (size_t i = 0; i < found.size(); ++i) {
      CheckInterrupt(run);
      if (KeyAbort(run)) Terminate(run, kUserAborted);
      HandleEntry(run, path, found[i], processed[i]);
    }
  }
}

}  // namespace korven
