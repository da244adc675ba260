// The interchangeable CRC-32 update routines and the choice among them.
#ifndef KORVEN_CRC_CRC_KERNELS_H_
#define KORVEN_CRC_CRC_KERNELS_H_

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace korven {

// Advances the register over `count` bytes; no complement on either side.
using CrcUpdateFunction = uint32_t (*)(uint32_t reg, const unsigned char* bytes, size_t count);

struct CrcKernel {
  const char* name;
  CrcUpdateFunction update;
};

// One table lookup per byte: the reference every other kernel must match.
uint32_t CrcUpdateByteTable(uint32_t reg, const unsigned char* bytes, size_t count);
// Sixteen bytes per step through sixteen tables; any processor.
uint32_t CrcUpdateSlice16(uint32_t reg, const unsigned char* bytes, size_t count);

// The kernels this processor can run, slowest first; the last is the one
// CrcUpdate uses.
std::span<const CrcKernel> AvailableCrcKernels();

// Appends the carry-less multiply kernels the processor supports, slowest
// first; nothing on other architectures.
void AppendX86CrcKernels(std::vector<CrcKernel>* kernels);

}  // namespace korven

#endif  // KORVEN_CRC_CRC_KERNELS_H_
