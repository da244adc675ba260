// Buffering of the listing and message streams. Both are buffered in full,
// whatever they write to, so that on a file, a pipe or NUL a record or a
// progress update costs no write of its own. At a console what they hold is
// handed on at the end of each record and each progress update: one write
// each, and the user sees the run as it goes.
#ifndef KORVEN_RUN_OUTPUT_STREAMS_H_
#define KORVEN_RUN_OUTPUT_STREAMS_H_

namespace korven {

struct Run;

// Gives standard output and standard error buffers of their own and notes
// which of them write to a console. Called before anything is written.
void BufferStandardStreams(Run& run);

// Hands on what the message stream and the listing hold, for each of them
// that writes to a console; nothing elsewhere.
void ShowAtConsole(Run& run);

// Ends a line of the listing with its newline; at a console the line shows at once.
void EndListingLine(Run& run);

}  // namespace korven

#endif  // KORVEN_RUN_OUTPUT_STREAMS_H_
