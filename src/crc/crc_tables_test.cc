#include "crc/crc_tables.h"

#include <gtest/gtest.h>

#include "crc/crc_fold_constants.h"

namespace korven {
namespace {

TEST(CrcTables, StandardTableEntries) {
  EXPECT_EQ(kCrcTable[0], 0x00000000u);
  EXPECT_EQ(kCrcTable[1], 0x77073096u);
  EXPECT_EQ(kCrcTable[128], 0xEDB88320u);
  EXPECT_EQ(kCrcTable[255], 0x2D02EF8Du);
}

TEST(CrcTables, SliceTableIsByteFollowedByZeros) {
  // Table 1 entry b: the register after byte b and one zero byte.
  for (int b : {1, 77, 255}) {
    uint32_t reg = kCrcTable[b];
    reg = kCrcTable[reg & 0xFF] ^ (reg >> 8);
    EXPECT_EQ(kCrcSliceTables[1][b], reg) << b;
  }
}

TEST(CrcFoldConstants, PowersOfX) {
  EXPECT_EQ(CrcXPower(0), 0x80000000u);           // 1
  EXPECT_EQ(CrcXPower(31), 0x00000001u);          // x^31
  EXPECT_EQ(CrcXPower(32), kCrcPolynomial);       // x^32 = P - x^32
  EXPECT_EQ(CrcFoldMultiplier(33), uint64_t{kCrcPolynomial} << 32);
}

}  // namespace
}  // namespace korven
