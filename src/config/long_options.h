// The named options: "--name=value" on the command line and "NAME=value" in
// the INI file come from one table, so both share names and value parsing.
#ifndef KORVEN_CONFIG_LONG_OPTIONS_H_
#define KORVEN_CONFIG_LONG_OPTIONS_H_

#include <string>

namespace korven {

struct Run;

enum class OptionSource { kCommandLine, kIniFile };

// Applies the option called `name`; `value` is null when none was given.
// Command-line names match exactly and a switch also reads as "no-NAME";
// INI keys match in any case. Returns "" when taken, else why not.
std::string ApplyNamedOption(Run& run, const std::string& name, const std::string* value,
                             OptionSource source);

// For an option that takes the words after it on the command line
// ("--check FILE...", "--compare OLD NEW"): how many, kWordsToNextOption
// for one or more up to the next option word. 0 for every other option.
constexpr int kWordsToNextOption = -1;
int WordsTaken(const std::string& name);

// True when `name` is an option of the command line.
bool IsNamedOption(const std::string& name);

}  // namespace korven

#endif  // KORVEN_CONFIG_LONG_OPTIONS_H_
