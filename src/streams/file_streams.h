// The named streams of a listed file, each as a record of its own.
#ifndef KORVEN_STREAMS_FILE_STREAMS_H_
#define KORVEN_STREAMS_FILE_STREAMS_H_

#include <string>

namespace korven {

struct Run;

// Lists the named streams of the file `fullPath`, whose bare name is `bareName`.
void ListFileStreams(Run& run, const std::string& fullPath, const std::string& bareName);

}  // namespace korven

#endif  // KORVEN_STREAMS_FILE_STREAMS_H_
