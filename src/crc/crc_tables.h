// Lookup tables of the standard reflected CRC-32, built at compile time.
#ifndef KORVEN_CRC_CRC_TABLES_H_
#define KORVEN_CRC_CRC_TABLES_H_

#include <array>
#include <cstdint>

namespace korven {

// The reflected form of x^32 + x^26 + ... + 1.
constexpr uint32_t kCrcPolynomial = 0xEDB88320u;

using CrcTable = std::array<uint32_t, 256>;

// Table k maps a byte to the register it leaves after it and k zero bytes;
// table 0 is the classic byte-at-a-time table.
constexpr int kCrcSliceCount = 16;

constexpr std::array<CrcTable, kCrcSliceCount> MakeCrcSliceTables() {
  std::array<CrcTable, kCrcSliceCount> tables{};
  for (uint32_t byte = 0; byte < 256; ++byte) {
    uint32_t reg = byte;
    for (int bit = 0; bit < 8; ++bit) reg = (reg >> 1) ^ ((reg & 1) ? kCrcPolynomial : 0);
    tables[0][byte] = reg;
  }
  for (int k = 1; k < kCrcSliceCount; ++k) {
    for (int byte = 0; byte < 256; ++byte) {
      uint32_t prev = tables[k - 1][byte];
      tables[k][byte] = (prev >> 8) ^ tables[0][prev & 0xFF];
    }
  }
  return tables;
}

inline constexpr std::array<CrcTable, kCrcSliceCount> kCrcSliceTables = MakeCrcSliceTables();
inline constexpr const CrcTable& kCrcTable = kCrcSliceTables[0];

}  // namespace korven

#endif  // KORVEN_CRC_CRC_TABLES_H_
