// The search paths, file types and exclusion types of a run.
#ifndef KORVEN_CONFIG_SEARCH_LISTS_H_
#define KORVEN_CONFIG_SEARCH_LISTS_H_

#include <string>

namespace korven {

struct Run;

// Each returns "" when the entry is taken, else the message refusing it.
std::string AddSearchPath(Run& run, const std::string& path);
std::string AddSearchType(Run& run, const std::string& type);
// Sets excludeOn; the closing rules upper-case the list unless excludeKeepCase.
std::string AddExcludeType(Run& run, const std::string& type);

// A word before the first option: "src/*.cpp" gives the path "src" and the
// type "*.cpp"; a wildcard alone gives a type; an existing file gives its
// directory and its name; anything else is a path.
std::string AddBareWord(Run& run, const std::string& word);

}  // namespace korven

#endif  // KORVEN_CONFIG_SEARCH_LISTS_H_
