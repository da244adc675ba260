// CRC-32 of a file's contents, as the listing shows it.
#ifndef KORVEN_CRC_FILE_CRC_H_
#define KORVEN_CRC_FILE_CRC_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "crc/crc.h"
#include "platform/file_system.h"

namespace korven {

struct Run;

// Bytes asked of each read, and the size of the run's read buffer. Reads of
// 512 KiB measured fastest on cached files: far fewer system calls than
// 60,000-byte reads, and, unlike 1 MiB, the chunk stays in a 1 MiB L2 cache
// next to the page-cache bytes it was copied from, so the CRC reads it from there.
constexpr size_t kCrcReadChunk = size_t{512} << 10;

// Reads copy into a cache-line-aligned buffer about 10% faster than into
// the 16-byte-aligned block a large new[] gives: a read buffer is allocated
// with this much to spare and used from its first aligned byte.
constexpr size_t kReadBufferAlignment = 64;
constexpr size_t kReadBufferBytes = kCrcReadChunk + kReadBufferAlignment - 1;
unsigned char* AlignedReadChunk(unsigned char* block);
// The run's read buffer (kCrcReadChunk bytes), made on first use; ends the
// run with reason 6 when memory runs out.
unsigned char* RunReadChunk(Run& run);

// What reading a file for its CRC-32 came to. kNotAFile: what the name
// opened is no file to list (a directory or special file took its place).
enum class CrcRead { kDone, kCannotOpen, kNotAFile, kCannotPosition, kReadError, kStopped };
struct CrcOutcome {
  CrcRead result = CrcRead::kDone;
  uint32_t value = 0;  // with kDone
  // The find record of the file opened, taken before it was read: the size,
  // times and attributes of what the CRC-32 was computed over. Named as the
  // path names it; with every result but kCannotOpen and kNotAFile.
  FindEntry file;

  // With the streams asked for and the file opened: its named streams, read
  // through the descriptor the CRC-32 used, which costs less than by path.
  bool streamsListed = false;
  StreamsRead streamsRead = StreamsRead::kRead;
  std::vector<StreamEntry> streams;

  bool Opened() const { return result != CrcRead::kCannotOpen && result != CrcRead::kNotAFile; }
};

// Opens `path`, describes it and reads it from byte `startOffset` on through
// `chunk` (kCrcReadChunk bytes), computing its CRC-32. A short read that ends
// where the description said the file ends is the last one; any other short
// read is followed by more, so a file that grows meanwhile is still read to
// its end. With `withStreams` it also lists the file's named streams.
// `keepReading` is asked after every chunk; false stops the read with
// kStopped. Writes nothing, so it may run on a helper thread where the file
// system reads in parallel. `opened`, where valid, is `path` opened already
// by OpenAllForReading of `fs`, which it reads and closes.
CrcOutcome ReadFileCrc(FileSystem& fs, const std::string& path, int64_t startOffset, unsigned char* chunk,
                       const std::function<bool()>& keepReading, bool withStreams,
                       FileHandle opened = kInvalidHandle);

// The CRC-32 of `path` from byte `startOffset` on, as the listing shows it:
// the outcome of ReadFileCrc, taken from the run's read-ahead when it already
// has it, with its text (8 uppercase hex digits, or "CRCERROR" when the file
// was opened but could not be read) in `text`, which holds kCrcTextSize
// bytes. Reports positioning and read errors on the message stream. When
// the run lists named streams, the file's streams are kept in the run for
// its stream records.
CrcOutcome FileCrc(Run& run, const std::string& path, int64_t startOffset, char* text);

// As FileCrc, for the named stream `streamName` of `path` (as the file
// system's NamedStreams named it), `size` bytes long; messages name it
// `shownName`.
CrcOutcome StreamCrc(Run& run, const std::string& path, const std::string& streamName, uint64_t size,
                     const std::string& shownName, int64_t startOffset, char* text);

}  // namespace korven

#endif  // KORVEN_CRC_FILE_CRC_H_
