// Looks one file up by name, for callers that don't hold its find record.
#ifndef KORVEN_LISTING_FILE_LOOKUP_H_
#define KORVEN_LISTING_FILE_LOOKUP_H_

#include <string>

#include "platform/file_system.h"

namespace korven {

struct Run;

// The find record of `dir` + `name`. When the name can't be found as it is,
// its bytes of 0x80 and above become '?' and the directory is searched with
// that pattern; an entry is taken only when its name equals the one sought
// apart from those bytes (non-ASCII there too), so a different file is never
// taken for it.
bool LookUpFile(Run& run, const std::string& dir, const std::string& name, FindEntry* entry);

}  // namespace korven

#endif  // KORVEN_LISTING_FILE_LOOKUP_H_
