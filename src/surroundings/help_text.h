// The usage text and the notice on the CRC-32 code.
#ifndef KORVEN_SURROUNDINGS_HELP_TEXT_H_
#define KORVEN_SURROUNDINGS_HELP_TEXT_H_

#include <cstdio>

namespace korven {

void PrintHelp(FILE* to);
void PrintNotice(FILE* to);

}  // namespace korven

#endif  // KORVEN_SURROUNDINGS_HELP_TEXT_H_
