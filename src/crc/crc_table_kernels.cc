// The table-driven kernels: byte at a time and slice-by-16.
#include "crc/crc_kernels.h"
#include "crc/crc_tables.h"

namespace korven {

uint32_t CrcUpdateByteTable(uint32_t reg, const unsigned char* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) reg = kCrcTable[(reg ^ bytes[i]) & 0xFF] ^ (reg >> 8);
  return reg;
}

namespace {

// Little-endian whatever the host; compilers turn this into one load.
inline uint32_t Load32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

uint32_t CrcUpdateSlice16(uint32_t reg, const unsigned char* bytes, size_t count) {
  const auto& t = kCrcSliceTables;
  while (count >= 16) {
    uint32_t a = reg ^ Load32(bytes);
    uint32_t b = Load32(bytes + 4);
    uint32_t c = Load32(bytes + 8);
    uint32_t d = Load32(bytes + 12);
    reg = t[15][a & 0xFF] ^ t[14][(a >> 8) & 0xFF] ^ t[13][(a >> 16) & 0xFF] ^ t[12][a >> 24] ^
          t[11][b & 0xFF] ^ t[10][(b >> 8) & 0xFF] ^ t[9][(b >> 16) & 0xFF] ^ t[8][b >> 24] ^
          t[7][c & 0xFF] ^ t[6][(c >> 8) & 0xFF] ^ t[5][(c >> 16) & 0xFF] ^ t[4][c >> 24] ^
          t[3][d & 0xFF] ^ t[2][(d >> 8) & 0xFF] ^ t[1][(d >> 16) & 0xFF] ^ t[0][d >> 24];
    bytes += 16;
    count -= 16;
  }
  return CrcUpdateByteTable(reg, bytes, count);
}

}  // namespace korven
