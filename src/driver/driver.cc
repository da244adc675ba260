#include "driver/driver.h"

#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "check/check_listings.h"
#include "check/compare_listings.h"
#include "config/defaults.h"
#include "config/option_parser.h"
#include "crc/crc_read_ahead.h"
#include "listing/record_layout.h"
#include "listing/sfv_record.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/system.h"
#include "run/accounting.h"
#include "run/listing_output.h"
#include "run/output_streams.h"
#include "run/run.h"
#include "run/terminate.h"
#include "walk/walk_ahead.h"
#include "walk/walker.h"

namespace korven {

namespace {

constexpr char kModule[] = "run/driver";
constexpr size_t kMaxModuleName = 260;
constexpr size_t kMaxCurrentDirectory = 2600;

// Both passes walk the same paths, made normal before the first.
void WalkSearchPaths(Run& run) {
  for (const std::string& path : run.values.searchPaths) WalkPath(run, path);
}

void CountingPass(Run& run) {
  fprintf(run.message, "Counting files: ");
  ShowAtConsole(run);
  WalkSearchPaths(run);
  if (run.settings.autoWidth) {
    int width = run.counters.longestPath + 2;
    run.values.recordLength += width - run.settings.nameWidth;
    run.settings.nameWidth = width;
    fprintf(run.message, "\r  Maximum path length found is %d, -w %d installed\n", width, width);
  }
  // -88 pads the long name to the longest one found, and its delimiter follows.
  if (run.settings.longNameMode == 1) run.values.recordLength += run.counters.longestName + 1;
  fprintf(run.message, "\r%7ld files to process,  %s bytes\n", run.counters.countedFiles,
          GroupDigits(run.counters.countedBytes).c_str());
  ShowAtConsole(run);
}

}  // namespace

void NormaliseSearchPath(std::string& path) {
  path = WithUpperDriveLetter(WithTrailingSeparator(std::move(path)));
}

namespace {

[[noreturn]] void RunSteps(Run& run, int argc, char** argv) {
  // The INI file is looked for beside the program: a path cut short would
  // look in another directory.
  run.moduleFileName = run.sys.ModuleFileName();
  if (run.moduleFileName.size() > kMaxModuleName) {
    fprintf(run.message, "\nThe program's path is longer than %zu characters: %s\n", kMaxModuleName,
            run.moduleFileName.c_str());
    Terminate(run, kNonSpecificError);
  }
  std::vector<char*> args(argv, argv + argc);
  if (!args.empty()) args[0] = run.moduleFileName.data();

  setvbuf(stdin, nullptr, _IONBF, 0);
  BufferStandardStreams(run);
  run.sys.InstallSignalHandlers();
  ApplyEnvironmentDefaults(run);
  ApplyBuiltInDefaults(run);
  ParseOptions(run, argc, args.data());
  EchoCommandLine(run, argc, args.data());
  OpenListingOutput(run);
  WriteAccountingHeader(run);
  if (run.settings.mode == RunMode::kCheck) CheckListings(run);
  if (run.settings.mode == RunMode::kCompare) CompareListingFiles(run);

  if (run.values.searchPaths.empty()) {
    // Never cut to a shorter path, which would list another directory. An
    // SFV file names its files relative to where it lies.
    std::string current = run.settings.sfvOutput ? "." : run.sys.CurrentDirectory();
    if (current.size() > kMaxCurrentDirectory) {
      fprintf(run.message, "\nThe current directory is longer than %zu characters: name it as a search path\n",
              kMaxCurrentDirectory);
      Terminate(run, kNonSpecificError);
    }
    run.values.searchPaths.push_back(std::move(current));
  }
  const std::string firstPath = run.values.searchPaths.front();
  if (run.settings.sfvOutput) {
    WriteSfvHeader(run);
  } else {
    WriteHeader(run, firstPath);
  }
  run.volumeType = ProbeVolume(run, firstPath);
  for (std::string& path : run.values.searchPaths) NormaliseSearchPath(path);

  if (run.listingIsFile && !run.settings.immediate) {
    CountingPass(run);
    run.fs.ForgetDirectories();
  } else {
    run.settings.autoWidth = 0;
  }
  run.countingPass = 0;

  EstimateRecordsPerDisk(run);
  if (run.accounting != nullptr) fprintf(run.accounting, " %s\n", firstPath.c_str());

  CrcReadAhead readAhead(run, CrcReadAhead::HelpersFor(run));
  WalkAhead walkAhead(run);
  WalkSearchPaths(run);
  Terminate(run, kNormalExit);
}

}  // namespace

void RunProgram(Run& run, int argc, char** argv) {
  try {
    RunSteps(run, argc, argv);
  } catch (const std::bad_alloc&) {
    // Out of memory anywhere: ended like any other failure, with what was listed kept.
    fprintf(run.message, "\nSource File %s, Line #: %d,  memory error", kModule, __LINE__);
    Terminate(run, kInsufficientMemory);
  }
}

}  // namespace korven
