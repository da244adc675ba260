#include "listing/progress.h"

#include <cstdio>
#include <string>

#include "run/output_streams.h"
#include "run/run.h"
#include "text/text.h"

namespace korven {

int ShowProgress(Run& run, const std::string& bareName) {
  if (run.settings.outputMode == OutputMode::kStandardOutput || run.settings.progressOff) return 0;
  const int written = fprintf(run.message, " %.14s", Showable(bareName, &run.buffers.shownName));
  ShowAtConsole(run);
  return written;
}

void EraseProgress(Run& run, int written) {
  if (written <= 0) return;
  // Shown with the next update or record: one write for both at a console.
  std::string& erase = run.buffers.erase;
  erase.assign(static_cast<size_t>(written), '\b');
  erase.append(static_cast<size_t>(written), ' ');
  erase.append(static_cast<size_t>(written), '\b');
  fwrite(erase.data(), 1, erase.size(), run.message);
}

}  // namespace korven
