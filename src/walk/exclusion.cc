#include "walk/exclusion.h"

#include "run/run.h"
#include "walk/pattern_match.h"

namespace korven {

bool IsExcluded(Run& run, const std::string& name) {
  std::string text = name;
  if (!run.settings.excludeKeepCase) {
    for (char& c : text) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
  }
  for (const std::string& pattern : run.values.excludeTypes) {
    if (PatternMatch(pattern, text, 0) == 0) return true;
  }
  return false;
}

}  // namespace korven
