#include "crc/file_crc.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "crc/crc_read_ahead.h"
#include "platform/file_system.h"
#include "platform/system.h"
#include "run/run.h"
#include "run/terminate.h"
#include "streams/stream_reader.h"

namespace korven {

namespace {

constexpr int kCrcMemoryLine = 85;

// Closes the file on every way out, an interrupt ending the run included.
struct OpenFile {
  FileSystem& fs;
  FileHandle handle;
  ~OpenFile() { fs.Close(handle); }
};

// The listing reads on until the interrupt signal ends the run.
std::function<bool()> KeepReading(Run& run) {
  return [&run] {
    CheckInterrupt(run);
    return true;
  };
}

// The CRC-32 text of what reading `shownPath` came to, with a message for a
// read that failed part way.
char* CrcText(Run& run, const CrcOutcome& outcome, const std::string& shownPath, uint32_t* valueOut, char* text,
              int64_t startOffset) {
  switch (outcome.result) {
    case CrcRead::kDone:
      *valueOut = outcome.value;
      return CrcToText(outcome.value, text);
    case CrcRead::kCannotPosition:
      fprintf(run.message, "\nCan't position %s at byte %" PRId64 ": CRC not computed\n", shownPath.c_str(),
              startOffset);
      break;
    case CrcRead::kReadError:
      fprintf(run.message, "\nRead error in %s: CRC not computed\n", shownPath.c_str());
      break;
    case CrcRead::kCannotOpen:
    case CrcRead::kStopped:
      break;
  }
  memcpy(text, "CRCERROR", kCrcTextSize);
  return text;
}

// Reads the open file or stream `handle` from `startOffset` on; the handle
// is closed. kCannotOpen for kInvalidHandle. `path` names the file whose
// streams are listed with `withStreams`.
CrcOutcome ReadOpenCrc(FileSystem& fs, FileHandle handle, const std::string& path, int64_t startOffset,
                       uint64_t expectedSize, unsigned char* chunk, const std::function<bool()>& keepReading,
                       bool withStreams) {
  CrcOutcome outcome;
  if (handle == kInvalidHandle) {
    outcome.result = CrcRead::kCannotOpen;
    return outcome;
  }
  OpenFile file{fs, handle};
  if (withStreams) {
    outcome.streamsRead = fs.NamedStreamsOf(handle, path, &outcome.streams);
    outcome.streamsListed = true;
  }

  // Both opens start at the offset: a CRC from byte 0 would not be the one asked for.
  if (startOffset > 0 && !fs.Seek(handle, static_cast<uint64_t>(startOffset))) {
    outcome.result = CrcRead::kCannotPosition;
    return outcome;
  }

  uint32_t reg = kCrcInitialRegister;
  uint64_t position = startOffset > 0 ? static_cast<uint64_t>(startOffset) : 0;
  for (;;) {
    int64_t got = fs.Read(handle, chunk, kCrcReadChunk);
    if (got == 0) break;
    // The bytes read so far are not the file: no CRC rather than a wrong one.
    if (got < 0) {
      outcome.result = CrcRead::kReadError;
      return outcome;
    }
    reg = CrcUpdate(reg, chunk, static_cast<size_t>(got));
    if (!keepReading()) {
      outcome.result = CrcRead::kStopped;
      return outcome;
    }
    position += static_cast<uint64_t>(got);
    if (static_cast<size_t>(got) < kCrcReadChunk && position == expectedSize) break;
  }
  outcome.value = ~reg;
  return outcome;
}

}  // namespace

unsigned char* RunReadChunk(Run& run) {
  if (!run.readBuffer) {
    run.readBuffer.reset(new (std::nothrow) unsigned char[kReadBufferBytes]);
    if (!run.readBuffer) {
      fprintf(run.message, "\n%s\n%d\nCRC can't get memory\n", kCrcModuleName, kCrcMemoryLine);
      Terminate(run, kInsufficientMemory);
    }
  }
  return AlignedReadChunk(run.readBuffer.get());
}

unsigned char* AlignedReadChunk(unsigned char* block) {
  void* start = block;
  size_t space = kReadBufferBytes;
  return static_cast<unsigned char*>(std::align(kReadBufferAlignment, kCrcReadChunk, start, space));
}

CrcOutcome ReadFileCrc(FileSystem& fs, const std::string& path, int64_t startOffset, uint64_t expectedSize,
                       unsigned char* chunk, const std::function<bool()>& keepReading, bool withStreams) {
  FileHandle handle = fs.OpenForReading(path);
  if (handle == kInvalidHandle) handle = fs.OpenFallback(path);
  return ReadOpenCrc(fs, handle, path, startOffset, expectedSize, chunk, keepReading, withStreams);
}

char* FileCrc(Run& run, const std::string& path, uint32_t* valueOut, char* text, int64_t startOffset,
              uint64_t expectedSize) {
  run.sys.SetFileApisToOem();
  CrcOutcome outcome;
  bool readAhead = run.readAhead != nullptr && run.readAhead->Take(path, startOffset, &outcome);
  // A helper stops early only when the run is to end, which it does here.
  if (readAhead && outcome.result == CrcRead::kStopped) CheckInterrupt(run);
  if (!readAhead || outcome.result == CrcRead::kStopped) {
    outcome = ReadFileCrc(run.fs, path, startOffset, expectedSize, RunReadChunk(run), KeepReading(run),
                          StreamsShown(run));
  }
  KeptStreams& kept = run.keptStreams;
  kept.path.clear();
  if (outcome.streamsListed) {
    kept.path = path;
    kept.read = outcome.streamsRead;
    kept.streams.swap(outcome.streams);
  }
  return CrcText(run, outcome, path, valueOut, text, startOffset);
}

char* StreamCrc(Run& run, const std::string& path, const std::string& streamName, const std::string& shownName,
                uint32_t* valueOut, char* text, int64_t startOffset, uint64_t expectedSize) {
  const CrcOutcome outcome = ReadOpenCrc(run.fs, run.fs.OpenStream(path, streamName), path, startOffset,
                                         expectedSize, RunReadChunk(run), KeepReading(run), false);
  return CrcText(run, outcome, shownName, valueOut, text, startOffset);
}

}  // namespace korven
