// Date, time and computer-name tokens in output file names.
#ifndef KORVEN_SURROUNDINGS_NAME_TEMPLATE_H_
#define KORVEN_SURROUNDINGS_NAME_TEMPLATE_H_

#include <string>

namespace korven {

struct Run;
struct CivilTime;

// True when `path` holds one of the tokens that start a template.
bool HasNameTemplate(const std::string& path);
// Rewrites `path` in place; a result over 2600 bytes ends the run with reason 5.
void ExpandNameTemplate(Run& run, std::string& path);

// The parts of the expansion that need no clock, for ExpandNameTemplate and tests.
// Where expansion starts: behind the separator of the token found first, or at
// "COMPUTERNAME"; std::string::npos without a template.
size_t NameTemplateStart(const std::string& path);
// An uppercase 'G' from the template's start on selects GMT over local time.
bool NameTemplateWantsGmt(const std::string& path);
// `path` with its template replaced by the expansion for `time` and `computerName`.
std::string ExpandedName(const std::string& path, const CivilTime& time,
                         const std::string& computerName);

}  // namespace korven

#endif  // KORVEN_SURROUNDINGS_NAME_TEMPLATE_H_
