#include "streams/directory_streams.h"

#include "platform/path.h"
#include "streams/stream_records.h"

namespace korven {

long ListDirectoryStreamsOf(Run& run, const std::string& dirPath) {
  return ListStreams(run, dirPath, dirPath.substr(NameStart(dirPath)));
}

}  // namespace korven
