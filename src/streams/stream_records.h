// The named streams of a file or directory, each listed as a record of its
// own: the object's path and the stream name, the stream's CRC-32 and size,
// and the object's times.
#ifndef KORVEN_STREAMS_STREAM_RECORDS_H_
#define KORVEN_STREAMS_STREAM_RECORDS_H_

#include <string>

namespace korven {

struct Run;

// Writes the records of the named streams of `objectPath` (no trailing
// separator), whose bare name is `bareName`, and counts them as listed
// files; returns how many streams it holds.
long ListStreams(Run& run, const std::string& objectPath, const std::string& bareName);

}  // namespace korven

#endif  // KORVEN_STREAMS_STREAM_RECORDS_H_
