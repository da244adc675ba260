// Constants of carry-less multiply folding, computed at compile time.
#ifndef KORVEN_CRC_CRC_FOLD_CONSTANTS_H_
#define KORVEN_CRC_CRC_FOLD_CONSTANTS_H_

#include <cstdint>

#include "crc/crc_tables.h"

namespace korven {

// x^n mod P in the reflected 32-bit form (bit 31 is x^0).
constexpr uint32_t CrcXPower(uint64_t n) {
  uint32_t reg = 0x80000000u;
  for (uint64_t i = 0; i < n; ++i) reg = (reg >> 1) ^ ((reg & 1) ? kCrcPolynomial : 0);
  return reg;
}

// Multiplier that moves a reflected 64-bit half `bits` further along the
// message. The carry-less product of two reflected values comes out one
// degree short, hence x^(bits-1); the 32 remainder bits sit at the top of the
// 64-bit operand so the product lands in the same reflected frame.
constexpr uint64_t CrcFoldMultiplier(uint64_t bits) { return uint64_t{CrcXPower(bits - 1)} << 32; }

// Folding a 128-bit block `bits` forward: its low half (the earlier bytes)
// travels bits + 64, its high half bits.
struct CrcFoldPair {
  uint64_t low;
  uint64_t high;
};

constexpr CrcFoldPair CrcFoldDistance(uint64_t bits) {
  return {CrcFoldMultiplier(bits + 64), CrcFoldMultiplier(bits)};
}

}  // namespace korven

#endif  // KORVEN_CRC_CRC_FOLD_CONSTANTS_H_
