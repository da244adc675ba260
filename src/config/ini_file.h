// The INI file: the [KORVEN] section of korven.ini or of the suite's
// TOLVANER.INI, or of the file named by "-.ini FILE".
#ifndef KORVEN_CONFIG_INI_FILE_H_
#define KORVEN_CONFIG_INI_FILE_H_

#include <string>

namespace korven {

struct Run;

// korven.ini, then TOLVANER.INI (names in any case), in the current directory
// and then in the program's directory; "" when there is none.
std::string FindIniFile(Run& run);

// Applies the KEY=VALUE lines of the [KORVEN] section (keys are the long
// option names, any case). An unreadable file or a bad line ends the run
// with reason 4, naming the file and the line.
void ApplyIniFile(Run& run, const std::string& path);

}  // namespace korven

#endif  // KORVEN_CONFIG_INI_FILE_H_
