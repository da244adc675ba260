// The INI file: any text is applied to its end or refused with reason 4 (or
// the reason of a bad option value), never a crash.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/ini_file.h"
#include "fuzz_input.h"
#include "run/terminate.h"
#include "testing/memory_file_system.h"
#include "testing/test_run.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  korven::EnterScratchDirectory();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text;
  for (const std::string& line : korven::ConfinedWords(data, size)) text += line + '\n';
  korven::WriteFileText("fuzz.ini", text);
  korven::MemoryFileSystem fs;
  korven::TestRun t(fs);
  try {
    korven::ApplyIniFile(t.run, "fuzz.ini");
  } catch (const korven::RunEnded& ended) {
    korven::Require(ended.status == korven::kParameterFile || ended.status == korven::kIllegalOption);
  }
  return 0;
}
