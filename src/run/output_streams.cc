#include "run/output_streams.h"

#include <cstdio>

#include "platform/system.h"
#include "run/run.h"

namespace korven {

namespace {

constexpr size_t kStreamBufferSize = 8192;

// The standard streams outlive any run, and so do their buffers.
char standardOutputBuffer[kStreamBufferSize];
char standardErrorBuffer[kStreamBufferSize];

}  // namespace

void BufferStandardStreams(Run& run) {
  run.listingAtConsole = run.sys.IsConsole(stdout);
  run.messageAtConsole = run.sys.IsConsole(stderr);
  setvbuf(stdout, standardOutputBuffer, _IOFBF, kStreamBufferSize);
  setvbuf(stderr, standardErrorBuffer, _IOFBF, kStreamBufferSize);
}

// Messages first: one written while a record was made belongs before it.
void ShowAtConsole(Run& run) {
  if (run.messageAtConsole) fflush(run.message);
  if (run.listingAtConsole && !run.listingIsFile) fflush(run.listing);
}

// fwrite: a runtime may hand the stream to the system at every newline put
// alone with fputc or fputs, which would be a write per line.
void EndListingLine(Run& run) {
  fwrite("\n", 1, 1, run.listing);
  ShowAtConsole(run);
}

}  // namespace korven
