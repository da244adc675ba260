// The CRC-32 signature that -C appends, -V checks and -E removes: the last 8
// bytes of a file, the CRC-32 of the bytes before them as uppercase hex
// without leading zeros, NUL-padded when shorter than 8 digits.
#ifndef KORVEN_CRC_SIGNATURE_H_
#define KORVEN_CRC_SIGNATURE_H_

#include <cstdint>
#include <string>

namespace korven {

struct Run;
struct FindEntry;

constexpr int kSignatureSize = 8;

// What -C or -E came to for one file; every outcome but kChanged has said
// why on the message stream.
enum class SignatureChange {
  kChanged,     // the signature was appended or removed
  kLeftAsItIs,  // nothing to do: already signed, or holding no signature
  kFailed,      // the file should have changed and did not
};

// -C and -E change only the file the listing looked up (`file`, as the file
// processor found it): never a symbolic link or a file reached through one,
// and not a file that another took the place of, or that grew or shrank,
// since. Either is left as it is.

// Appends the CRC-32 of every byte of the file as its signature, unless its
// last 8 bytes already are its signature (so a file listed twice, or reached
// through two hard links, is signed once). A write that fails gives the file
// back its length.
SignatureChange AppendSignature(Run& run, const std::string& path, const FindEntry& file);

// True when the file's last 8 bytes hold the CRC-32 of the bytes before them;
// false otherwise and on any error.
bool VerifySignature(Run& run, const std::string& path);

// Cuts the last 8 bytes off the file when they are a signature that verifies
// (the test of VerifySignature) and the file is below 2 GiB; the new length is
// the open file's own length less 8.
SignatureChange EraseSignature(Run& run, const std::string& path, const FindEntry& file);

}  // namespace korven

#endif  // KORVEN_CRC_SIGNATURE_H_
