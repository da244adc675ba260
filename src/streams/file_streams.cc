#include "streams/file_streams.h"

#include "run/run.h"
#include "streams/stream_reader.h"
#include "streams/stream_records.h"

namespace korven {

void ListFileStreams(Run& run, const std::string& fullPath, const std::string& bareName) {
  if (StreamsShown(run)) run.counters.streamCount += ListStreams(run, fullPath, bareName);
}

}  // namespace korven
