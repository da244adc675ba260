// Handles one file found by the walker: look-up, filters, record, CRC-32,
// local changes.
#ifndef KORVEN_LISTING_FILE_PROCESSOR_H_
#define KORVEN_LISTING_FILE_PROCESSOR_H_

#include <string>

#include "crc/crc.h"
#include "crc/file_crc.h"
#include "platform/file_system.h"

namespace korven {

struct Run;

// One file as the file processor found it.
struct LookedUpFile {
  // The find record: of the file read when the read opened it, so that size,
  // times and CRC-32 belong to the same file; else as looked up by name.
  FindEntry file;
  CrcOutcome crc;                  // not read with -N
  char crcText[kCrcTextSize] = {};  // the CRC-32 field's text
};

// Looks `dir` + `name` up and, unless -N, reads it for its CRC-32, the path
// used going to `fullPath`. Without filters and -N the open for reading is
// the look-up (its handle describes the file), else the file is looked up by
// name first (with the '?' fallback for names with bytes above 0x7F). False
// when the file is to be skipped silently: it is gone, is no file, or fails
// the date or size filter.
bool LookUpAndRead(Run& run, const std::string& dir, const std::string& name, std::string& fullPath,
                   LookedUpFile* found);

// `dir` ends in the path separator; `name` is the bare name the directory
// search found. Looks the file up again, so that a file gone since the
// search is skipped silently and not counted.
void ProcessFile(Run& run, const std::string& dir, const std::string& name);

}  // namespace korven

#endif  // KORVEN_LISTING_FILE_PROCESSOR_H_
