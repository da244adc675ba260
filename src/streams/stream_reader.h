// Reads the named streams of files and directories for their records, and
// says when a run lists them.
#ifndef KORVEN_STREAMS_STREAM_READER_H_
#define KORVEN_STREAMS_STREAM_READER_H_

#include <string>
#include <vector>

#include "platform/file_system.h"

namespace korven {

struct Run;

// Streams are listed in the main pass, with -S on, when the first search
// path's volume holds named streams.
bool StreamsShown(const Run& run);

// The named streams of the file or directory `path` (no trailing separator).
// A stream that can't be read ends the object's streams with a message; a
// process token or privilege that can't be had ends the run (reason 7).
void ReadStreams(Run& run, const std::string& path, std::vector<StreamEntry>* streams);

}  // namespace korven

#endif  // KORVEN_STREAMS_STREAM_READER_H_
