// The CRC-32 engine: register update and the text form of a value.
#ifndef KORVEN_CRC_CRC_H_
#define KORVEN_CRC_CRC_H_

#include <cstddef>
#include <cstdint>

namespace korven {

constexpr uint32_t kCrcInitialRegister = 0xFFFFFFFFu;
constexpr int kCrcTextSize = 9;  // 8 characters and the NUL

// The module name that CRC error messages (out of memory for the read
// buffer, a signature file that cannot be opened) print above their line number.
constexpr const char* kCrcModuleName = "\\Work\\C70\\Lib70\\Crc_stuf7";

// Advances the register over `count` bytes with the fastest kernel this
// processor has. No complement is applied here.
uint32_t CrcUpdate(uint32_t reg, const unsigned char* bytes, size_t count);

// Writes `value` as 8 uppercase hexadecimal digits and a NUL into `text`
// (kCrcTextSize bytes) and returns it.
char* CrcToText(uint32_t value, char* text);

}  // namespace korven

#endif  // KORVEN_CRC_CRC_H_
