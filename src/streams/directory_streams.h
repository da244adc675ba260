// The named streams of a directory, listed as records of their own.
#ifndef KORVEN_STREAMS_DIRECTORY_STREAMS_H_
#define KORVEN_STREAMS_DIRECTORY_STREAMS_H_

#include <string>

namespace korven {

struct Run;

// Lists the named streams of the directory `dirPath` (no trailing separator)
// and returns how many it holds.
long ListDirectoryStreamsOf(Run& run, const std::string& dirPath);

}  // namespace korven

#endif  // KORVEN_STREAMS_DIRECTORY_STREAMS_H_
