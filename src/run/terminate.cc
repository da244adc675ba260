#include "run/terminate.h"

#include <cinttypes>
#include <cstdio>

#include "platform/system.h"
#include "run/output_sort.h"
#include "run/run.h"

namespace korven {

const char* ExitReasonText(int reason) {
  switch (reason) {
    case 0: return "NORMAL_EXIT";
    case 1: return "USER_ABORTED";
    case 2: return "INPUT_FILE";
    case 3: return "OUTPUT_FILE";
    case 4: return "PARAMATER_FILE";
    case 5: return "ILLEGAL or INCOMPLETE OPTION";
    case 6: return "INSUFFICIENT MEMORY";
    case 7: return "OTHER_EXIT";
    case 8: return "WRITE_ERROR";
    case 9: return "CORRUPTED Program FILE";
    case 10: return "READ_ERROR";
    default: return "NON_SPECIFIC ERROR";
  }
}

std::string GroupDigits(int64_t value) {
  // Work on the magnitude as unsigned so that INT64_MIN is printed too.
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  char digits[32];
  int count = snprintf(digits, sizeof digits, "%" PRIu64, magnitude);
  std::string text = value < 0 ? "-" : "";
  for (int i = 0; i < count; ++i) {
    if (i > 0 && (count - i) % 3 == 0) text += ',';
    text += digits[i];
  }
  return text;
}

std::string LocalTimeText(Run& run, int64_t seconds) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  CivilTime t;
  if (!run.sys.BreakDownFileTime(EpochToFileTime(seconds), false, &t) || t.month < 1 ||
      t.month > 12 || t.weekday < 0 || t.weekday > 6) {
    return "";
  }
  char text[64];
  snprintf(text, sizeof text, "%s %s %2d %02d:%02d:%02d %d", kDays[t.weekday], kMonths[t.month - 1],
           t.day, t.hour, t.minute, t.second, t.year);
  return text;
}

namespace {

const char* DirectoryEnding(long count) { return count == 1 ? "y" : "ies"; }

// The time the run took, in whole hours, minutes and seconds.
struct Elapsed {
  int hours;
  int minutes;
  int seconds;
};

Elapsed ElapsedBetween(int64_t startTime, int64_t endTime) {
  int64_t elapsed = endTime - startTime;
  if (elapsed < 0) elapsed = 0;
  return {static_cast<int>(elapsed / 3600), static_cast<int>(elapsed % 3600 / 60),
          static_cast<int>(elapsed % 60)};
}

// The counts line every summary starts with, the listing's, the message
// stream's and the accounting file's alike.
void WriteCounts(Run& run, FILE* to) {
  if (run.writeCounts != nullptr) {
    run.writeCounts(run, to);
    return;
  }
  fprintf(to, "\n  %ld director%s, %ld files, %s bytes: \n", run.counters.dirCount,
          DirectoryEnding(run.counters.dirCount), run.counters.listedFiles,
          GroupDigits(run.counters.listedBytes).c_str());
}

void WriteElapsed(FILE* to, const Elapsed& elapsed, const char* ending) {
  fprintf(to, "  Elapsed:  %d hrs. %d mins. %d secs.%s", elapsed.hours, elapsed.minutes,
          elapsed.seconds, ending);
}

void WriteOutputFileSummary(Run& run, const Elapsed& elapsed) {
  if (run.settings.quietLevel > 0) return;
  WriteCounts(run, run.listing);
  if (run.settings.showStreams &&
      (run.counters.streamCount != 0 || run.counters.streamDirCount != 0)) {
    fprintf(run.listing, " (Includes %ld Alternate Data Streams ", run.counters.streamCount);
    fprintf(run.listing, "And %ld directories holding data streams)\n",
            run.counters.streamDirCount);
  }
  WriteElapsed(run.listing, elapsed, "\n\n");
}

void WriteAccountingSummary(Run& run, int64_t endTime, const Elapsed& elapsed) {
  FILE* log = run.accounting;
  if (run.settings.autoWidth) fprintf(log, "  Name width adjusted to %d", run.settings.nameWidth);
  if (run.counters.accumulatedRecordLength > 0) {
    fprintf(log, "\n Record length %ld", run.counters.accumulatedRecordLength);
  }
  WriteCounts(run, log);
  fprintf(log, "\n\n  Finished: %.24s\n", LocalTimeText(run, endTime).c_str());
  WriteElapsed(log, elapsed, "\n");
  fprintf(log, "%s\n", std::string(53, '*').c_str());
  fclose(log);
  run.accounting = nullptr;
}

}  // namespace

void Terminate(Run& run, int reason) {
  if (run.terminating) throw RunEnded{reason};
  run.terminating = true;
  run.sys.RestoreConsole();
  // A reader of the listing that went away ends the run without a word on the
  // message stream, as a pipeline tool ends.
  const bool readerGone = run.sys.PipeReaderGone();

  int64_t endTime = run.sys.Now();
  if (run.startTime < 0) run.startTime = endTime;
  const Elapsed elapsed = ElapsedBetween(run.startTime, endTime);

  // A record the run ended in the middle of still ends its line.
  if (run.recordOpen) {
    fputc('\n', run.listing);
    run.recordOpen = false;
  }
  // A listing that did not reach its file or pipe whole is not a normal end.
  if ((fflush(run.listing) != 0 || ferror(run.listing)) && !readerGone) {
    fprintf(run.message, "\nCan't write the listing: records are missing\n");
    if (reason == 0) reason = kWriteError;
  }
  if (reason != 0 && !readerGone) {
    fprintf(run.message, "\nAbnormal termination. Reason: %s\n\n", ExitReasonText(reason));
  }

  if (run.settings.autoWidth) fprintf(run.listing, "\n AUTOWIDTH -Mw= %d", run.settings.nameWidth);

  if (run.listingIsFile) {
    // The summary goes in before the file is sorted, so a sorted listing
    // keeps it. An SFV file and a check's report have none.
    if (run.settings.mode == RunMode::kList && !run.settings.sfvOutput) WriteOutputFileSummary(run, elapsed);
    fclose(run.listing);
    run.listing = stdout;
    run.listingIsFile = false;
    if (run.settings.sortOutput) SortOutputFile(run);
  }

  if (run.settings.quietLevel <= 0 && !readerGone) {
    WriteCounts(run, run.message);
    WriteElapsed(run.message, elapsed, "\n\n");
  }

  if (run.accounting != nullptr) WriteAccountingSummary(run, endTime, elapsed);

  // A run whose signature checks or changes failed ends normally but reports it.
  const bool signaturesFailed = run.counters.failedChecks > 0 || run.counters.failedChanges > 0;
  int status = reason == 0 && signaturesFailed ? 1 : reason;
  EndProcess(run, readerGone ? kPipeReaderGoneStatus : status);
}

void EndProcess(Run& run, int status) {
  run.sys.RestoreConsole();
  fflush(stdout);
  fflush(run.message);
  throw RunEnded{status};
}

void CheckInterrupt(Run& run) {
  if (run.sys.InterruptPending()) Terminate(run, kInputFile);
  if (run.sys.PipeReaderGone()) Terminate(run, kWriteError);
}

bool RunEndPending(Run& run) { return run.sys.InterruptPending() || run.sys.PipeReaderGone(); }

}  // namespace korven
