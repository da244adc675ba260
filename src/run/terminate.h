// The one way a run ends: reason text, run summary, closing, exit status.
#ifndef KORVEN_RUN_TERMINATE_H_
#define KORVEN_RUN_TERMINATE_H_

#include <cstdint>
#include <string>

namespace korven {

struct Run;

enum ExitReason {
  kNormalExit = 0,
  kUserAborted = 1,
  kInputFile = 2,
  kOutputFile = 3,
  kParameterFile = 4,
  kIllegalOption = 5,
  kInsufficientMemory = 6,
  kOtherExit = 7,
  kWriteError = 8,
  kCorruptedProgramFile = 9,
  kReadError = 10,
  kNonSpecificError = 12,
};

// The exit status of a run whose listing lost its reader (a closed pipe):
// what a shell shows for a pipeline tool ended by SIGPIPE, 128 + 13.
constexpr int kPipeReaderGoneStatus = 141;

// The fixed text of an exit reason; "NON_SPECIFIC ERROR" for numbers without one.
const char* ExitReasonText(int reason);

// Thrown by Terminate once the summary is written; main() returns `status`
// as the process's exit status, so every run leaves through one place.
struct RunEnded {
  int status;
};

// Prints the reason (when not 0) and the run summary, closes the output and
// accounting files, and ends the run. Never returns.
[[noreturn]] void Terminate(Run& run, int reason);

// Ends the run without the termination handler (failures at opening the
// output): flushes what was written and leaves with `status`.
[[noreturn]] void EndProcess(Run& run, int status);

// Ends the run with reason 2 when an interrupt signal has arrived, and
// quietly when a pipe written to lost its reader; called at safe points
// (between entries, between read chunks).
void CheckInterrupt(Run& run);
// Whether CheckInterrupt would end the run now; safe from any thread.
bool RunEndPending(Run& run);

// Decimal text with a comma between groups of three digits: 1,234,567.
std::string GroupDigits(int64_t value);

// The runtime's 24-character local form: "Tue Dec  8 01:46:47 2026".
std::string LocalTimeText(Run& run, int64_t seconds);

}  // namespace korven

#endif  // KORVEN_RUN_TERMINATE_H_
