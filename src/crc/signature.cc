#include "crc/signature.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "crc/crc.h"
#include "crc/file_crc.h"
#include "platform/file_system.h"
#include "run/run.h"
#include "run/terminate.h"

namespace korven {

namespace {

constexpr uint64_t kEraseLimit = uint64_t{1} << 31;

int HexDigit(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Hexadecimal digits up to the first other byte, as "%lX" reads them.
uint32_t ParseSignature(const unsigned char* bytes) {
  uint32_t value = 0;
  for (int i = 0; i < kSignatureSize && HexDigit(bytes[i]) >= 0; ++i) {
    value = value * 16 + static_cast<uint32_t>(HexDigit(bytes[i]));
  }
  return value;
}

// What one pass over a file found.
struct Scan {
  uint64_t length = 0;
  uint32_t crc = 0;     // of every byte
  bool endsSigned = false;  // the last 8 bytes are the CRC-32 of the bytes before them
};

// Reads the open file from its start to its end; false on a read error. The
// last 8 bytes read so far are held back at the front of the buffer, so that
// they stay out of the CRC until more bytes come, and are the signature at
// the end. An interrupt ends the run between reads, before anything is written.
bool ScanFile(Run& run, FileHandle file, Scan* scan) {
  unsigned char* buffer = RunReadChunk(run);
  uint32_t reg = kCrcInitialRegister;
  size_t held = 0;
  int64_t got;
  while ((got = run.fs.Read(file, buffer + held, kCrcReadChunk - kSignatureSize)) > 0) {
    CheckInterrupt(run);
    scan->length += static_cast<uint64_t>(got);
    size_t total = held + static_cast<size_t>(got);
    if (total > kSignatureSize) {
      reg = CrcUpdate(reg, buffer, total - kSignatureSize);
      memmove(buffer, buffer + total - kSignatureSize, kSignatureSize);
      held = kSignatureSize;
    } else {
      held = total;
    }
  }
  if (got < 0) return false;
  scan->endsSigned = held == kSignatureSize && ParseSignature(buffer) == ~reg;
  scan->crc = ~CrcUpdate(reg, buffer, held);
  return true;
}

void LeftAsItIs(Run& run, const std::string& path, const char* why) {
  fprintf(run.message, "\n%s %s: left as it is\n", path.c_str(), why);
}

// Opens the listed file to change it, its find record going to `opened`.
// Refuses, with a message, a symbolic link and a file that is not the one
// listed. `cantOpen` is the message (with a number and the path) for a file
// that can't be opened. kInvalidHandle when the file is not to be changed.
FileHandle OpenListedFile(Run& run, const std::string& path, const FindEntry& file, const char* cantOpen,
                          int cantOpenNumber, FindEntry* opened) {
  if (file.IsLink()) {
    LeftAsItIs(run, path, "is a symbolic link");
    return kInvalidHandle;
  }
  FileHandle handle = run.fs.OpenForUpdate(path);
  if (handle == kInvalidHandle) {
    fprintf(run.message, cantOpen, cantOpenNumber, path.c_str());
    return kInvalidHandle;
  }
  if (run.fs.Describe(handle, opened) && !opened->IsDirectory() && (!file.id.Known() || opened->id == file.id)) {
    return handle;
  }
  run.fs.Close(handle);
  LeftAsItIs(run, path, "is no longer the file listed");
  return kInvalidHandle;
}

// Reads the file opened for update whole, leaving it positioned at its end;
// false, with a message, on a read error or when its length changes meanwhile.
bool ScanForUpdate(Run& run, const std::string& path, FileHandle handle, Scan* scan) {
  if (!ScanFile(run, handle, scan)) {
    fprintf(run.message, "\nRead error in %s: left as it is\n", path.c_str());
    return false;
  }
  if (run.fs.SeekToEnd(handle) != static_cast<int64_t>(scan->length)) {
    LeftAsItIs(run, path, "changed while it was read");
    return false;
  }
  return true;
}

}  // namespace

SignatureChange AppendSignature(Run& run, const std::string& path, const FindEntry& file) {
  FindEntry opened;
  FileHandle handle = OpenListedFile(run, path, file, "\n%d Can't open %s for Signature creation\n", 798, &opened);
  if (handle == kInvalidHandle) return SignatureChange::kFailed;
  HandleCloser closer(run.fs, handle);
  Scan scan;
  if (!ScanForUpdate(run, path, handle, &scan)) return SignatureChange::kFailed;
  if (scan.endsSigned) {
    LeftAsItIs(run, path, "already ends in its CRC-32 signature");
    return SignatureChange::kLeftAsItIs;
  }
  char text[kSignatureSize + 1] = {};
  snprintf(text, sizeof text, "%" PRIX32, scan.crc);
  if (run.fs.Write(handle, text, kSignatureSize) == kSignatureSize) return SignatureChange::kChanged;
  // Part of a signature would neither verify nor come off again.
  const bool restored = run.fs.SetLength(handle, scan.length);
  fprintf(run.message, "\nCan't write the signature to %s%s\n", path.c_str(),
          restored ? ": the file is as it was" : "");
  return SignatureChange::kFailed;
}

bool VerifySignature(Run& run, const std::string& path) {
  FileHandle file = run.fs.OpenForReading(path);
  if (file == kInvalidHandle) {
    fprintf(run.message, "\n%s\n%d\nCan't open %s for integrity check\n", kCrcModuleName, 404, path.c_str());
    return false;
  }
  HandleCloser closer(run.fs, file);
  Scan scan;
  return ScanFile(run, file, &scan) && scan.endsSigned;
}

SignatureChange EraseSignature(Run& run, const std::string& path, const FindEntry& file) {
  FindEntry opened;
  FileHandle handle =
      OpenListedFile(run, path, file, "\n%d  Can't open %s for removeing CRC-32 value\n", 820, &opened);
  if (handle == kInvalidHandle) return SignatureChange::kFailed;
  HandleCloser closer(run.fs, handle);
  if (opened.size >= kEraseLimit) {
    fprintf(run.message, "\n%s is 2 GiB or larger: its CRC-32 signature is not removed\n", path.c_str());
    return SignatureChange::kFailed;
  }
  Scan scan;
  if (!ScanForUpdate(run, path, handle, &scan)) return SignatureChange::kFailed;
  if (!scan.endsSigned) {
    LeftAsItIs(run, path, "holds no valid CRC-32 signature");
    return SignatureChange::kLeftAsItIs;
  }
  if (!run.fs.SetLength(handle, scan.length - kSignatureSize)) {
    fprintf(run.message, "\n%d  CRC32 - Error in resizing file\n", 826);
    return SignatureChange::kFailed;
  }
  return SignatureChange::kChanged;
}

}  // namespace korven
