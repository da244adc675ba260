#include "crc/signature.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <memory>

#include "crc/crc.h"
#include "crc/file_crc.h"
#include "platform/file_system.h"
#include "run/run.h"

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

// One to eight hex digits, the rest NUL: what AppendSignature writes.
bool LooksLikeSignature(const unsigned char* bytes) {
  int digits = 0;
  while (digits < kSignatureSize && HexDigit(bytes[digits]) >= 0) ++digits;
  if (digits == 0) return false;
  for (int i = digits; i < kSignatureSize; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

}  // namespace

void AppendSignature(Run& run, const std::string& path, uint32_t value) {
  FileHandle file = run.fs.OpenForUpdate(path);
  if (file == kInvalidHandle) {
    fprintf(run.message, "\n%d Can't open %s for Signature creation\n", 798, path.c_str());
    return;
  }
  char text[kSignatureSize + 1] = {};
  snprintf(text, sizeof text, "%" PRIX32, value);
  if (!run.fs.SeekToEnd(file) || run.fs.Write(file, text, kSignatureSize) != kSignatureSize) {
    fprintf(run.message, "\nCan't write the signature to %s\n", path.c_str());
  }
  run.fs.Close(file);
}

bool VerifySignature(Run& run, const std::string& path) {
  FileHandle file = run.fs.OpenForReading(path);
  if (file == kInvalidHandle) {
    fprintf(run.message, "\n%s\n%d\nCan't open %s for integrity check\n", kCrcModuleName, 404, path.c_str());
    return false;
  }
  // One pass: the last 8 bytes read so far are held back at the front of the
  // buffer, so that they are kept out of the CRC and are the signature at the end.
  unsigned char* buffer = RunReadChunk(run);
  uint32_t reg = kCrcInitialRegister;
  size_t held = 0;
  int64_t got;
  while ((got = run.fs.Read(file, buffer + held, kCrcReadChunk - kSignatureSize)) > 0) {
    size_t total = held + static_cast<size_t>(got);
    if (total > kSignatureSize) {
      reg = CrcUpdate(reg, buffer, total - kSignatureSize);
      memmove(buffer, buffer + total - kSignatureSize, kSignatureSize);
      held = kSignatureSize;
    } else {
      held = total;
    }
  }
  run.fs.Close(file);
  if (got < 0 || held < kSignatureSize) return false;
  return ParseSignature(buffer) == ~reg;
}

void EraseSignature(Run& run, const std::string& path, uint64_t length) {
  if (length >= kEraseLimit) {
    fprintf(run.message, "\n%s is 2 GiB or larger: its CRC-32 signature is not removed\n", path.c_str());
    return;
  }
  FileHandle file = run.fs.OpenForUpdate(path);
  if (file == kInvalidHandle) {
    fprintf(run.message, "\n%d  Can't open %s for removeing CRC-32 value\n", 820, path.c_str());
    return;
  }
  unsigned char last[kSignatureSize];
  if (length < kSignatureSize || !run.fs.Seek(file, length - kSignatureSize) ||
      run.fs.Read(file, last, kSignatureSize) != kSignatureSize || !LooksLikeSignature(last)) {
    fprintf(run.message, "\n%s holds no CRC-32 signature: left as it is\n", path.c_str());
  } else if (!run.fs.SetLength(file, length - kSignatureSize)) {
    fprintf(run.message, "\n%d  CRC32 - Error in resizing file\n", 826);
  }
  run.fs.Close(file);
}

}  // namespace korven
