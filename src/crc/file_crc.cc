#include "crc/file_crc.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "crc/crc_read_ahead.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "run/run.h"
#include "run/terminate.h"
#include "streams/stream_reader.h"

namespace korven {

namespace {

constexpr int kCrcMemoryLine = 85;

// The listing reads on until the run is to end.
std::function<bool()> KeepReading(Run& run) {
  return [&run] {
    CheckInterrupt(run);
    return true;
  };
}

// Reads the open file or stream `handle`, `size` bytes long, from
// `startOffset` on and computes its CRC-32 into `outcome`.
void ReadOpenCrc(FileSystem& fs, FileHandle handle, uint64_t size, int64_t startOffset, unsigned char* chunk,
                 const std::function<bool()>& keepReading, CrcOutcome* outcome) {
  // Both opens start at the offset: a CRC from byte 0 would not be the one asked for.
  if (startOffset > 0 && !fs.Seek(handle, static_cast<uint64_t>(startOffset))) {
    outcome->result = CrcRead::kCannotPosition;
    return;
  }

  uint32_t reg = kCrcInitialRegister;
  uint64_t position = startOffset > 0 ? static_cast<uint64_t>(startOffset) : 0;
  for (;;) {
    int64_t got = fs.Read(handle, chunk, kCrcReadChunk);
    if (got == 0) break;
    // The bytes read so far are not the file: no CRC rather than a wrong one.
    if (got < 0) {
      outcome->result = CrcRead::kReadError;
      return;
    }
    reg = CrcUpdate(reg, chunk, static_cast<size_t>(got));
    if (!keepReading()) {
      outcome->result = CrcRead::kStopped;
      return;
    }
    position += static_cast<uint64_t>(got);
    if (static_cast<size_t>(got) < kCrcReadChunk && position == size) break;
  }
  outcome->value = ~reg;
}

// The CRC-32 text of `outcome` for `shownPath`, with a message for a read
// that failed part way.
void WriteCrcText(Run& run, const CrcOutcome& outcome, const std::string& shownPath, int64_t startOffset,
                  char* text) {
  switch (outcome.result) {
    case CrcRead::kDone:
      CrcToText(outcome.value, text);
      return;
    case CrcRead::kCannotPosition:
      fprintf(run.message, "\nCan't position %s at byte %" PRId64 ": CRC not computed\n", shownPath.c_str(),
              startOffset);
      break;
    case CrcRead::kReadError:
      fprintf(run.message, "\nRead error in %s: CRC not computed\n", shownPath.c_str());
      break;
    case CrcRead::kCannotOpen:
    case CrcRead::kNotAFile:
    case CrcRead::kStopped:
      break;
  }
  memcpy(text, "CRCERROR", kCrcTextSize);
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

CrcOutcome ReadFileCrc(FileSystem& fs, const std::string& path, int64_t startOffset, unsigned char* chunk,
                       const std::function<bool()>& keepReading, bool withStreams, FileHandle opened) {
  CrcOutcome outcome;
  FileHandle handle = opened != kInvalidHandle ? opened : fs.OpenForReading(path);
  if (handle == kInvalidHandle) handle = fs.OpenFallback(path);
  if (handle == kInvalidHandle) {
    outcome.result = CrcRead::kCannotOpen;
    return outcome;
  }
  HandleCloser closer(fs, handle);

  outcome.file.name.assign(path, NameStart(path));
  if (!fs.Describe(handle, &outcome.file) || outcome.file.IsDirectory()) {
    outcome.result = CrcRead::kNotAFile;
    return outcome;
  }

  if (withStreams) {
    outcome.streamsRead = fs.NamedStreamsOf(handle, path, &outcome.streams);
    outcome.streamsListed = true;
  }
  ReadOpenCrc(fs, handle, outcome.file.size, startOffset, chunk, keepReading, &outcome);
  return outcome;
}

CrcOutcome FileCrc(Run& run, const std::string& path, int64_t startOffset, char* text) {
  CrcOutcome outcome;
  bool readAhead = run.readAhead != nullptr && run.readAhead->Take(path, startOffset, &outcome);
  // A reader ahead stops early when the run is to end, which it does here,
  // or when the listing cut its read short: then the file is read here.
  if (readAhead && outcome.result == CrcRead::kStopped) CheckInterrupt(run);
  if (!readAhead || outcome.result == CrcRead::kStopped) {
    outcome = ReadFileCrc(run.fs, path, startOffset, RunReadChunk(run), KeepReading(run), StreamsShown(run));
  }
  KeptStreams& kept = run.keptStreams;
  kept.path.clear();
  if (outcome.streamsListed) {
    kept.path = path;
    kept.read = outcome.streamsRead;
    kept.streams.swap(outcome.streams);
  }
  WriteCrcText(run, outcome, path, startOffset, text);
  return outcome;
}

CrcOutcome StreamCrc(Run& run, const std::string& path, const std::string& streamName, uint64_t size,
                     const std::string& shownName, int64_t startOffset, char* text) {
  CrcOutcome outcome;
  const FileHandle handle = run.fs.OpenStream(path, streamName);
  if (handle == kInvalidHandle) {
    outcome.result = CrcRead::kCannotOpen;
  } else {
    HandleCloser closer(run.fs, handle);
    ReadOpenCrc(run.fs, handle, size, startOffset, RunReadChunk(run), KeepReading(run), &outcome);
  }
  WriteCrcText(run, outcome, shownName, startOffset, text);
  return outcome;
}

}  // namespace korven
