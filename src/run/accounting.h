// The accounting file: a text log appended to at each run.
#ifndef KORVEN_RUN_ACCOUNTING_H_
#define KORVEN_RUN_ACCOUNTING_H_

#include <string>

namespace korven {

struct Run;

enum class AccountingOpen {
  kOpened,
  kNotRegular,  // a FIFO, a device or a directory: refused, the run goes on without it
  kFailed,      // the file can't be opened
};

// Opens `path` for appending as the accounting file, replacing one already
// open (which is told so and closed). Anything but kOpened comes with a message.
AccountingOpen OpenAccountingFile(Run& run, const std::string& path);
// Closes the accounting file, if one is open.
void CloseAccountingFile(Run& run);
// One blank and each argument, an argument that is exactly "|" in quotes.
void EchoCommandLine(Run& run, int argc, char** argv);
// The run's header: program and start time.
void WriteAccountingHeader(Run& run);

}  // namespace korven

#endif  // KORVEN_RUN_ACCOUNTING_H_
