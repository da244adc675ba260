#include "run/accounting.h"

#include <cstdio>
#include <cstring>

#include "platform/file_system.h"
#include "platform/system.h"
#include "run/run.h"
#include "run/terminate.h"

namespace korven {

AccountingOpen OpenAccountingFile(Run& run, const std::string& path) {
  // Opening a FIFO would wait for a reader, and a device or a directory is no log.
  const PathKind kind = run.fs.KindOf(path);
  if (kind == PathKind::kOther || kind == PathKind::kDirectory) {
    fprintf(run.message, "\nAccounting file %s is not a regular file: not used\n", path.c_str());
    return AccountingOpen::kNotRegular;
  }
  FILE* file = fopen(path.c_str(), "a");
  if (file == nullptr) {
    fprintf(run.message, "\nCan't open accounting file %s\n", path.c_str());
    return AccountingOpen::kFailed;
  }
  if (run.accounting != nullptr) {
    fprintf(run.accounting, "This file closed.\n");
    fprintf(run.accounting, "Accounting file overridden by option -1 file pointing to %s\n", path.c_str());
    fclose(run.accounting);
  }
  run.accounting = file;
  run.values.accountingPath = path;
  return AccountingOpen::kOpened;
}

void CloseAccountingFile(Run& run) {
  if (run.accounting == nullptr) return;
  fclose(run.accounting);
  run.accounting = nullptr;
}

void EchoCommandLine(Run& run, int argc, char** argv) {
  if (run.accounting == nullptr) return;
  for (int i = 0; i < argc; ++i) {
    if (strcmp(argv[i], "|") == 0) {
      fprintf(run.accounting, " \"|\"");
    } else {
      fprintf(run.accounting, " %s", argv[i]);
    }
  }
  fprintf(run.accounting, "\n");
}

void WriteAccountingHeader(Run& run) {
  if (run.accounting == nullptr) return;
  fprintf(run.accounting, "  Started: %.24s\n", LocalTimeText(run, run.startTime).c_str());
}

}  // namespace korven
