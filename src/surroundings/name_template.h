// Date, time and computer-name tokens in output file names.
#ifndef KORVEN_SURROUNDINGS_NAME_TEMPLATE_H_
#define KORVEN_SURROUNDINGS_NAME_TEMPLATE_H_

#include <string>

namespace korven {

struct Run;

// True when `path` holds one of the tokens that start a template.
bool HasNameTemplate(const std::string& path);
// Rewrites `path` in place; a result over 2600 bytes ends the run with reason 5.
void ExpandNameTemplate(Run& run, std::string& path);

}  // namespace korven

#endif  // KORVEN_SURROUNDINGS_NAME_TEMPLATE_H_
