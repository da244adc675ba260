#include "streams/file_streams.h"

namespace korven {

// Files have no streams to list until the stream reader is in.
void ListFileStreams(Run&, const std::string&, const std::string&) {}

}  // namespace korven
