#include "crc/file_crc.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "crc/crc_read_ahead.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/system.h"
#include "run/run.h"
#include "run/terminate.h"

namespace korven {

namespace {

constexpr int kCrcMemoryLine = 85;

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
                       const std::function<bool()>& keepReading) {
  CrcOutcome outcome;
  FileHandle handle = fs.OpenForReading(path);
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
    if (static_cast<size_t>(got) < kCrcReadChunk && position == outcome.file.size) break;
  }
  outcome.value = ~reg;
  return outcome;
}

CrcOutcome FileCrc(Run& run, const std::string& path, int64_t startOffset, char* text) {
  run.sys.SetFileApisToOem();
  CrcOutcome outcome;
  bool readAhead = run.readAhead != nullptr && run.readAhead->Take(path, startOffset, &outcome);
  // A helper stops early only when the run is to end, which it does here.
  if (readAhead && outcome.result == CrcRead::kStopped) CheckInterrupt(run);
  if (!readAhead || outcome.result == CrcRead::kStopped) {
    outcome = ReadFileCrc(run.fs, path, startOffset, RunReadChunk(run), [&run] {
      CheckInterrupt(run);
      return true;
    });
  }

  switch (outcome.result) {
    case CrcRead::kDone:
      CrcToText(outcome.value, text);
      return outcome;
    case CrcRead::kCannotPosition:
      fprintf(run.message, "\nCan't position %s at byte %" PRId64 ": CRC not computed\n", path.c_str(),
              startOffset);
      break;
    case CrcRead::kReadError:
      fprintf(run.message, "\nRead error in %s: CRC not computed\n", path.c_str());
      break;
    case CrcRead::kCannotOpen:
    case CrcRead::kNotAFile:
    case CrcRead::kStopped:
      break;
  }
  memcpy(text, "CRCERROR", kCrcTextSize);
  return outcome;
}

}  // namespace korven
