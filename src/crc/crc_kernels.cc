#include "crc/crc_kernels.h"

#include <vector>

namespace korven {

std::span<const CrcKernel> AvailableCrcKernels() {
  static const std::vector<CrcKernel> kernels = [] {
    std::vector<CrcKernel> found = {{"byte-table", CrcUpdateByteTable}, {"slice-16", CrcUpdateSlice16}};
    AppendX86CrcKernels(&found);
    return found;
  }();
  return kernels;
}

}  // namespace korven
