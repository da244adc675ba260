#include "crc/crc.h"

#include "crc/crc_kernels.h"

namespace korven {

uint32_t CrcUpdate(uint32_t reg, const unsigned char* bytes, size_t count) {
  static const CrcUpdateFunction fastest = AvailableCrcKernels().back().update;
  return fastest(reg, bytes, count);
}

char* CrcToText(uint32_t value, char* text) {
  static const char kDigits[] = "0123456789ABCDEF";
  for (int i = 7; i >= 0; --i) {
    text[i] = kDigits[value & 0xF];
    value >>= 4;
  }
  text[8] = '\0';
  return text;
}

}  // namespace korven
