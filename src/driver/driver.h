// The program's start-up order, its counting and main passes, and the normal end.
#ifndef KORVEN_RUN_DRIVER_H_
#define KORVEN_RUN_DRIVER_H_

#include <string>

namespace korven {

struct Run;

// Never returns normally: every run ends in Terminate, which throws RunEnded.
[[noreturn]] void RunProgram(Run& run, int argc, char** argv);

// Appends the separator when missing and upper-cases a drive letter.
void NormaliseSearchPath(std::string& path);

}  // namespace korven

#endif  // KORVEN_RUN_DRIVER_H_
