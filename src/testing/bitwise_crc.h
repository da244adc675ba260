// The CRC-32 a bit at a time: a reference for tests that owes nothing to the
// engine's tables or kernels.
#ifndef KORVEN_TESTING_BITWISE_CRC_H_
#define KORVEN_TESTING_BITWISE_CRC_H_

#include <cstdint>
#include <string>

namespace korven {

inline uint32_t BitwiseCrc32(const std::string& bytes) {
  uint32_t reg = 0xFFFFFFFFu;
  for (unsigned char byte : bytes) {
    reg ^= byte;
    for (int bit = 0; bit < 8; ++bit) reg = (reg >> 1) ^ (0xEDB88320u & (0u - (reg & 1u)));
  }
  return ~reg;
}

}  // namespace korven

#endif  // KORVEN_TESTING_BITWISE_CRC_H_
