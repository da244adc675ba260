#include "config/closing_rules.h"

#include <cstdio>

#include "config/option_actions.h"
#include "run/run.h"
#include "run/terminate.h"
#include "walk/pattern_match.h"

namespace korven {

void ApplyClosingRules(Run& run) {
  RunSettings& s = run.settings;
  OptionValues& v = run.values;

  // -C would sign the file and -E then cut the 8 bytes it just wrote, or
  // 8 bytes of data.
  if (s.createSignature && s.eraseSignature) {
    fprintf(run.message, "\n-C and -E can't be given together\n");
    Terminate(run, kIllegalOption);
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
