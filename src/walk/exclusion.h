// Leaves out the files whose names match one of the exclusion types.
#ifndef KORVEN_WALK_EXCLUSION_H_
#define KORVEN_WALK_EXCLUSION_H_

#include <string>

namespace korven {

struct Run;

// True when the bare file name `name` matches a pattern of the exclusion list.
// The name is matched as if upper case unless excludeKeepCase is set, as the
// closing rules upper-case the patterns.
bool IsExcluded(Run& run, const std::string& name);

}  // namespace korven

#endif  // KORVEN_WALK_EXCLUSION_H_
