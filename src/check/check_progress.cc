#include "check/check_progress.h"

#include <cstdio>

#include "platform/system.h"
#include "run/output_streams.h"
#include "run/run.h"
#include "text/text.h"

namespace korven {

CheckProgress StartCheckProgress(Run& run, long total) {
  CheckProgress progress;
  progress.total = total;
  if (run.settings.quietLevel == 0 && !run.settings.progressOff) progress.columns = run.sys.ErrorTerminalColumns();
  return progress;
}

void ShowCheckProgress(Run& run, CheckProgress* progress, long n, const std::string& name) {
  if (progress->columns <= 0) return;
  EraseCheckProgress(run, progress);
  std::string line = Format("[%ld/%ld] ", n, progress->total);
  line += Shown(name);
  // The last column stays free, so that the terminal does not wrap.
  const size_t room = static_cast<size_t>(progress->columns - 1);
  if (line.size() > room) line.resize(room);
  fwrite(line.data(), 1, line.size(), run.message);
  ShowAtConsole(run);
  progress->shown = static_cast<int>(line.size());
}

void EraseCheckProgress(Run& run, CheckProgress* progress) {
  if (progress->shown <= 0) return;
  fprintf(run.message, "\r%*s\r", progress->shown, "");
  progress->shown = 0;
}

}  // namespace korven
