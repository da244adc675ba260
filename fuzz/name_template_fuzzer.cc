// Output-name templates. The first eight bytes set the clock, the rest is
// the name and, after a NUL byte, the computer's name. The expansion keeps
// what stands before the template, and a name without one is left alone;
// an expansion too long for a file name ends the run with reason 5.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "run/terminate.h"
#include "surroundings/name_template.h"
#include "testing/memory_file_system.h"
#include "testing/test_run.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  uint64_t clock;
  memcpy(&clock, data, sizeof clock);
  std::vector<std::string> words = korven::Words(data + 8, size - 8);
  const std::string name = words[0];

  korven::MemoryFileSystem fs;
  korven::TestRun t(fs);
  t.sys.now = static_cast<int64_t>(clock % (uint64_t{1} << 36));  // up to the year 4147
  t.sys.computerName = words.size() > 1 ? words[1] : "";
  std::string expanded = name;
  try {
    korven::ExpandNameTemplate(t.run, expanded);
  } catch (const korven::RunEnded& ended) {
    korven::Require(ended.status == korven::kIllegalOption);
    return 0;
  }
  const size_t start = korven::NameTemplateStart(name);
  if (start == std::string::npos) {
    korven::Require(expanded == name);
  } else {
    korven::Require(expanded.compare(0, start, name, 0, start) == 0);
  }
  return 0;
}
