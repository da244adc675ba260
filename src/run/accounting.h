// The accounting file: a text log appended to at each run.
#ifndef KORVEN_RUN_ACCOUNTING_H_
#define KORVEN_RUN_ACCOUNTING_H_

#include <string>

namespace korven {

struct Run;

// Opens `path` for appending as the accounting file, replacing one already
// open (which is told so and closed). False with a message when it can't be opened.
bool OpenAccountingFile(Run& run, const std::string& path);
// Closes the accounting file, if one is open.
void CloseAccountingFile(Run& run);
// One blank and each argument, an argument that is exactly "|" in quotes.
void EchoCommandLine(Run& run, int argc, char** argv);
// The run's header: program and start time.
void WriteAccountingHeader(Run& run);

}  // namespace korven

#endif  // KORVEN_RUN_ACCOUNTING_H_
