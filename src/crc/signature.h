// The CRC-32 signature that -C appends, -V checks and -E removes: the last 8
// bytes of a file, the CRC-32 of the bytes before them as uppercase hex
// without leading zeros, NUL-padded when shorter than 8 digits.
#ifndef KORVEN_CRC_SIGNATURE_H_
#define KORVEN_CRC_SIGNATURE_H_

#include <cstdint>
#include <string>

namespace korven {

struct Run;

constexpr int kSignatureSize = 8;

// Appends `value`, the CRC-32 of the whole file, as its signature.
void AppendSignature(Run& run, const std::string& path, uint32_t value);

// True when the file's last 8 bytes hold the CRC-32 of the bytes before them;
// false otherwise and on any error.
bool VerifySignature(Run& run, const std::string& path);

// Cuts the signature off a file of `length` bytes (as listed), but only when
// its last 8 bytes have the form of one and the file is below 2 GiB; any
// other file is left as it is, with a message.
void EraseSignature(Run& run, const std::string& path, uint64_t length);

}  // namespace korven

#endif  // KORVEN_CRC_SIGNATURE_H_
