// The command line, its words cut at NUL bytes: every word list is parsed to
// the end or refused with a status, never a crash.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/option_parser.h"
#include "fuzz_input.h"
#include "run/terminate.h"
#include "testing/memory_file_system.h"
#include "testing/test_run.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  korven::EnterScratchDirectory();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  korven::MemoryFileSystem fs;  // finds no INI file
  korven::TestRun t(fs);
  std::vector<std::string> args = korven::ConfinedWords(data, size);
  const int status = t.Parse(args);
  // Run through, refused, ended by the help text, or an INI file that can't be read or holds a bad line.
  korven::Require(status == -1 || status == korven::kIllegalOption || status == korven::kNormalExit ||
                  status == korven::kParameterFile);
  return 0;
}
