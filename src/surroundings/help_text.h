// The usage text, the notice on the CRC-32 code and the version line.
#ifndef KORVEN_SURROUNDINGS_HELP_TEXT_H_
#define KORVEN_SURROUNDINGS_HELP_TEXT_H_

#include <cstdio>

namespace korven {

void PrintHelp(FILE* to);
void PrintNotice(FILE* to);
// Name, version, build (POSIX or Win32) and the CRC-32 kernel this processor runs.
void PrintVersion(FILE* to);

}  // namespace korven

#endif  // KORVEN_SURROUNDINGS_HELP_TEXT_H_
