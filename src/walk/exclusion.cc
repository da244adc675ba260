#include "walk/exclusion.h"

#include "platform/file_system.h"
#include "run/run.h"
#include "walk/pattern_match.h"

namespace korven {

bool IsExcluded(Run& run, const std::string& name) {
  // The closing rules upper-cased the patterns; the matcher reads the name in
  // upper case, so no upper-case copy of it is made.
  const int flags = run.settings.excludeKeepCase ? 0 : kMatchUpperText;
  for (const std::string& pattern : run.values.excludeTypes) {
    if (PatternMatch(pattern, name, flags) == 0) return true;
  }
  return false;
}

bool IsListedFile(Run& run, const std::string& dir, const FindEntry& entry) {
  return !entry.IsDirectory() && FitsPathBuffer(dir, entry.name) &&
         !(run.settings.excludeOn && IsExcluded(run, entry.name));
}

}  // namespace korven
