#include "listing/progress.h"

#include <cstdio>
#include <string>

#include "run/run.h"
#include "text/text.h"

namespace korven {

int ShowProgress(Run& run, const std::string& bareName) {
  if (run.settings.outputMode == OutputMode::kStandardOutput || run.settings.progressOff) return 0;
  return fprintf(run.message, " %.14s", Showable(bareName, &run.buffers.shownName));
}

void EraseProgress(Run& run, int written) {
  if (written <= 0) return;
  // One write: the message stream is unbuffered, and this runs for every file.
  std::string& erase = run.buffers.erase;
  erase.assign(static_cast<size_t>(written), '\b');
  erase.append(static_cast<size_t>(written), ' ');
  erase.append(static_cast<size_t>(written), '\b');
  fwrite(erase.data(), 1, erase.size(), run.message);
}

}  // namespace korven
