#include "config/closing_rules.h"

#include <cstdio>

#include "config/option_actions.h"
#include "run/run.h"
#include "run/terminate.h"
#include "walk/pattern_match.h"

namespace korven {

namespace {

[[noreturn]] void RefuseTogether(Run& run, const char* message) {
  fprintf(run.message, "\n%s\n", message);
  Terminate(run, kIllegalOption);
}

// What --sfv, --check and --compare can't be given with.
void RefuseWithListingsRead(Run& run) {
  const RunSettings& s = run.settings;
  if (s.mode == RunMode::kCompare && run.values.listingFiles.size() != 2) {
    RefuseTogether(run, "--compare compares two listings");
  }
  if (s.mode == RunMode::kList && !s.sfvOutput) return;
  if (s.sfvOutput && s.mode != RunMode::kList) {
    RefuseTogether(run, "--sfv can't be given with --check or --compare");
  }
  if (s.createSignature || s.eraseSignature || s.verifySignature) {
    RefuseTogether(run, "-C, -V and -E can't be given with --sfv, --check or --compare");
  }
  if (s.sortOutput) RefuseTogether(run, "-Y can't be given with --sfv, --check or --compare");
  // Every other tool reads an SFV line as the CRC-32 of the whole file.
  if (s.sfvOutput && run.values.displacement != 0) {
    RefuseTogether(run, "--sfv lists the CRC-32 of whole files: -D and -b can't be given with it");
  }
}

}  // namespace

void ApplyClosingRules(Run& run) {
  RunSettings& s = run.settings;
  OptionValues& v = run.values;

  // -C would sign the file and -E then cut the 8 bytes it just wrote, or
  // 8 bytes of data.
  if (s.createSignature && s.eraseSignature) {
    fprintf(run.message, "\n-C and -E can't be given together\n");
    Terminate(run, kIllegalOption);
  }

  RefuseWithListingsRead(run);
  if (s.mode != RunMode::kList || s.sfvOutput) {
    // No name field to widen, and no record of its own without a CRC-32.
    s.autoWidth = 0;
    s.pathNameOnly = 0;
  }

  // A fitting level above 1 means -w or -W gave the width.
  if (v.nameWidthLevel > 1) s.autoWidth = 0;
  if (v.searchTypes.empty()) v.searchTypes.push_back("*.*");
  if (s.pathNameOnly && v.nameWidthLevel == 1) v.nameWidthLevel = 2;
  if (s.zuluTime && (!s.printDateTime || s.timeKind == TimeKind::kNone)) {
    s.printDateTime = 1;
    s.timeKind = TimeKind::kWrite;
  }
  if (s.altHashForced) s.hashAltMode = 1;
  if (s.logBesideOutput && s.outputMode == OutputMode::kFile) {
    std::string refused = SetAccountingFile(run, v.outputPath + ".log");
    if (!refused.empty()) {
      fprintf(run.message, "%s", refused.c_str());
      Terminate(run, kIllegalOption);
    }
  }
  if (s.variableWidth) {
    s.delimiterOn = 1;
    if (v.delimiterChar == ' ') v.delimiterChar = '|';
  }
  // Kept as given until now, since a later --exclude-keep-case applies to them too.
  if (!s.excludeKeepCase) {
    for (std::string& type : v.excludeTypes) type = UpperCasePattern(type);
  }
}

}  // namespace korven
