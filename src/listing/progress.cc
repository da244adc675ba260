#include "listing/progress.h"

#include <cstdio>

#include "run/run.h"

namespace korven {

int ShowProgress(Run& run, const std::string& bareName) {
  if (run.settings.outputMode == 0 || run.settings.progressOff) return 0;
  return fprintf(run.message, " %.14s", bareName.c_str());
}

void EraseProgress(Run& run, int written) {
  for (const char c : {'\b', ' ', '\b'}) {
    for (int i = 0; i < written; ++i) fputc(c, run.message);
  }
}

}  // namespace korven
