#include "run/listing_output.h"

#include <cinttypes>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/system.h"
#include "run/run.h"
#include "run/run_settings.h"
#include "run/screen_pause.h"
#include "run/terminate.h"

namespace korven {

namespace {

constexpr char kModule[] = "run/listing_output";
constexpr size_t kListingBufferSize = 8192;
constexpr uint64_t kDiskReserve = 4096;  // room kept for the continuation line

// One buffer for the listing, whichever time the file is opened.
void AttachListing(Run& run, FILE* file) {
  if (!run.listingBuffer) run.listingBuffer = std::make_unique<char[]>(kListingBufferSize);
  setvbuf(file, run.listingBuffer.get(), _IOFBF, kListingBufferSize);
  run.listing = file;
  run.listingIsFile = true;
}

// Records that fit on the output disk as it is now; a new disk starts at record 1.
void MeasureOutputDisk(Run& run) {
  uint64_t free = DiskFree(run, static_cast<char>('A' + run.outputDriveIndex));
  uint64_t room = free > kDiskReserve ? free - kDiskReserve : 0;
  run.counters.recordsPerDisk = static_cast<long>(room / run.values.recordLength);
  run.counters.lineCount = 1;
}

// The sort reads the listing back when the run ends: only a regular file can
// give back what was written to it (a pipe or a terminal would wait forever).
void RefuseSortUnlessRegularFile(Run& run) {
  const std::string& path = run.values.outputPath;
  if (run.settings.outputMode != OutputMode::kFile) {
    fprintf(run.message, "\n-Y sorts an output file: name one with -o\n");
  } else if (run.fs.KindOf(path) == PathKind::kOther) {
    fprintf(run.message, "\n-Y sorts an output file: %s is not a regular file\n", path.c_str());
  } else {
    return;
  }
  Terminate(run, kIllegalOption);
}

}  // namespace

int ListingRecordLength(const RunSettings& settings, const OptionValues& values) {
  int length = settings.nameWidth + 22;  // delimiter, CRC-32 and size fields
  if (settings.timeKind == TimeKind::kAllThree) {
    length += 59;  // three date-time groups and the zone
  } else if (settings.timeKind != TimeKind::kNone) {
    length += 24;  // one date, time, letter and zone
  }
  if (settings.print83Name) length += 17;
  // -88: the extension field and the long name cut to its width, each with
  // its delimiter; the name padded to the longest name is added after counting.
  if (settings.longNameMode != 0 && settings.extensionField) length += 4;
  if (settings.longNameMode == 2) length += values.longNameWidth + 1;
  return length + 1;  // newline
}

void OpenListingOutput(Run& run) {
  RunSettings& settings = run.settings;
  const std::string& path = run.values.outputPath;
  if (settings.sortOutput) RefuseSortUnlessRegularFile(run);
  if (settings.outputMode == OutputMode::kFile) {
    FILE* file = fopen(path.c_str(), settings.appendOutput ? "a+" : "w");
    if (file == nullptr) {
      fprintf(run.message, settings.appendOutput ? "\ncan't open output file %s\n"
                                                 : "\ncan't create output file %s\n",
              path.c_str());
      fprintf(run.message, "FILE: %s, LINE %d\n", kModule, __LINE__);
      // Nothing was listed, so no summary; but the run failed and says so.
      EndProcess(run, kOutputFile);
    }
    AttachListing(run, file);
    run.outputDriveIndex = DriveIndex(path);
  } else if (settings.appendOutput) {
    fprintf(stdout, "\n\tNeed output file name if -a is chosen\n");
    Terminate(run, kIllegalOption);
  }

  // A file that will be sorted gets no header lines.
  if (settings.sortOutput) settings.quietLevel = 1;

  run.values.recordLength = ListingRecordLength(settings, run.values);
  run.counters.accumulatedRecordLength = run.values.recordLength;
  SetUpScreenPause(run);
}

bool OutputOnRemovableDisk(const Run& run) {
  return run.listingIsFile && (run.outputDriveIndex == 0 || run.outputDriveIndex == 1);
}

void EstimateRecordsPerDisk(Run& run) {
  if (OutputOnRemovableDisk(run)) MeasureOutputDisk(run);
}

bool OutputDiskFull(const Run& run) {
  return OutputOnRemovableDisk(run) && run.counters.lineCount > run.counters.recordsPerDisk;
}

void ContinueOnNewDisk(Run& run) {
  fprintf(run.listing, "\n Processed %ld files, %" PRId64 " bytes:  See continuation disk \n",
          run.counters.listedFiles, run.counters.listedBytes);
  fclose(run.listing);
  // Until the new file is open nothing may write to the closed one.
  run.listing = stdout;
  run.listingIsFile = false;

  fprintf(run.message, "\n\nOutput disk is full, replace and hit return\n");
  fflush(run.message);
  const int key = run.sys.ReadKey();
  CheckInterrupt(run);
  // Nobody at a console to change the disk: the run ends, and the full disk
  // keeps every record written to it.
  if (key < 0) Terminate(run, kOutputFile);

  MeasureOutputDisk(run);
  const std::string& path = run.values.outputPath;
  FILE* file = fopen(path.c_str(), "w+");
  if (file == nullptr) {
    fprintf(stdout, "\ncan't reopen output file %s\n", path.c_str());
    Terminate(run, kOutputFile);
  }
  AttachListing(run, file);
}

uint64_t DiskFree(Run& run, char driveLetter) {
  uint64_t freeBytes = 0;
  if (!run.fs.DiskFree(std::string{driveLetter, ':', '\\'}, &freeBytes)) {
    fprintf(run.message, "can't get disk free space\n");
    Terminate(run, kOutputFile);
  }
  return freeBytes;
}

}  // namespace korven
