// Exclusion patterns against a file name. The first byte picks the matcher's
// flags; the rest is patterns and, last, the name, cut at NUL bytes. Besides
// ending (in time) without a crash: the upper-case reading of a name matches
// as the upper-cased name does, so exclusion ignores the name's case.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "testing/memory_file_system.h"
#include "testing/test_run.h"
#include "text/text.h"
#include "walk/exclusion.h"
#include "walk/pattern_match.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int flags = data[0] & 0x1F;  // the fnmatch flag bits
  std::vector<std::string> patterns = korven::Words(data + 1, size - 1);
  const std::string name = patterns.back();
  patterns.pop_back();

  for (const std::string& pattern : patterns) {
    korven::Require(korven::PatternMatch(pattern, name, flags | korven::kMatchUpperText) ==
                    korven::PatternMatch(pattern, korven::UpperAscii(name), flags));
  }

  korven::MemoryFileSystem fs;
  korven::TestRun t(fs);
  t.run.values.excludeTypes = patterns;
  t.run.settings.excludeKeepCase = (data[0] & 0x20) != 0;
  const bool excluded = korven::IsExcluded(t.run, name);
  if (!t.run.settings.excludeKeepCase) {
    korven::Require(excluded == korven::IsExcluded(t.run, korven::UpperAscii(name)));
  }
  return 0;
}
