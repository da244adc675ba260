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

// Reducing a folded 128-bit block to the register, whose bits are the
// block's run through from zero: its first 64 bits move onto the last 64,
// which leaves 96 bits, and the first 32 of those onto the last 64.
constexpr uint64_t kCrcReduce128 = CrcXPower(95);
constexpr uint64_t kCrcReduce96 = CrcXPower(63);

// The Barrett reduction of the last 64 bits, reflected into 33 bits each: P
// with its x^32 term, and the quotient x^64 / P, which estimates how many
// times P goes into them.
constexpr uint64_t kCrcBarrettPolynomial = (uint64_t{kCrcPolynomial} << 1) | 1;
constexpr uint64_t CrcBarrettQuotient() {
  uint64_t normal = 0;  // P in the normal form, bit i is x^i
  for (int i = 0; i < 33; ++i) normal |= ((kCrcBarrettPolynomial >> i) & 1) << (32 - i);
  // Long division of x^64 by P, one quotient bit per step.
  unsigned __int128 rest = static_cast<unsigned __int128>(1) << 64;
  uint64_t quotient = 0;
  for (int shift = 32; shift >= 0; --shift) {
    if ((rest >> (32 + shift)) & 1) {
      quotient |= uint64_t{1} << shift;
      rest ^= static_cast<unsigned __int128>(normal) << shift;
    }
  }
  uint64_t reflected = 0;
  for (int i = 0; i < 33; ++i) reflected |= ((quotient >> i) & 1) << (32 - i);
  return reflected;
}
constexpr uint64_t kCrcBarrettQuotient = CrcBarrettQuotient();

}  // namespace korven

#endif  // KORVEN_CRC_CRC_FOLD_CONSTANTS_H_
