// Fills the run settings from ACCT, the INI file and the command line.
#ifndef KORVEN_CONFIG_OPTION_PARSER_H_
#define KORVEN_CONFIG_OPTION_PARSER_H_

namespace korven {

struct Run;

// Ends the run through Terminate on an error.
void ParseOptions(Run& run, int argc, char** argv);

}  // namespace korven

#endif  // KORVEN_CONFIG_OPTION_PARSER_H_
