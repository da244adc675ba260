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

// The file's size as FileCrc's caller knows it: not known.
constexpr uint64_t kCrcSizeUnknown = ~uint64_t{0};

// What reading a file for its CRC-32 came to.
enum class CrcRead { kDone, kCannotOpen, kCannotPosition, kReadError, kStopped };
struct CrcOutcome {
  CrcRead result = CrcRead::kDone;
  uint32_t value = 0;  // with kDone
  // With the streams asked for and the file opened: its named streams, read
  // through the descriptor the CRC-32 used, which costs less than by path.
  bool streamsListed = false;
  StreamsRead streamsRead = StreamsRead::kRead;
  std::vector<StreamEntry> streams;
};

// Reads `path` from byte `startOffset` on through `chunk` (kCrcReadChunk
// bytes) and computes its CRC-32, and with `withStreams` lists its named
// streams. `keepReading` is asked after every chunk; false stops the read
// with kStopped. Writes nothing, so it may run on a helper thread where the
// file system reads in parallel.
CrcOutcome ReadFileCrc(FileSystem& fs, const std::string& path, int64_t startOffset, uint64_t expectedSize,
                       unsigned char* chunk, const std::function<bool()>& keepReading, bool withStreams);

// Computes the CRC-32 of `path` from byte `startOffset` on, stores the value
// through `valueOut` and its text (8 uppercase hex digits, or "CRCERROR" when
// the file cannot be read, the value then left as it was) in `text`, which
// must hold kCrcTextSize bytes. Returns `text`. `expectedSize`, the size the
// directory search reported, spares the read that would only find the end: a
// short read that ends exactly there ends the file. Any other short read is
// followed by more reads, so a file that grew or is not a regular file is
// still read to its end. A result the run's read-ahead already has is taken
// from it. When the run lists named streams, the file's streams are kept in
// the run for its stream records.
char* FileCrc(Run& run, const std::string& path, uint32_t* valueOut, char* text, int64_t startOffset,
              uint64_t expectedSize = kCrcSizeUnknown);

// As FileCrc, for the named stream `streamName` of `path` (as the file
// system's NamedStreams named it); messages name it `shownName`.
char* StreamCrc(Run& run, const std::string& path, const std::string& streamName, const std::string& shownName,
                uint32_t* valueOut, char* text, int64_t startOffset, uint64_t expectedSize);

}  // namespace korven

#endif  // KORVEN_CRC_FILE_CRC_H_
