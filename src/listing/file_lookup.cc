#include "listing/file_lookup.h"

#include <vector>

#include "run/run.h"
#include "text/text.h"

namespace korven {

namespace {

bool IsWild(unsigned char c) { return c >= 0x80; }

// Win32 names compare without regard to ASCII case, as the search did.
bool SameApartFromWild(const std::string& sought, const std::string& found) {
  if (sought.size() != found.size()) return false;
  for (size_t i = 0; i < sought.size(); ++i) {
    // A byte the code page could not carry stands for a non-ASCII one, never an ASCII one.
    if (IsWild(static_cast<unsigned char>(sought[i]))) {
      if (!IsWild(static_cast<unsigned char>(found[i]))) return false;
      continue;
    }
    if (UpperAscii(sought[i]) != UpperAscii(found[i])) return false;
  }
  return true;
}

}  // namespace

bool LookUpFile(Run& run, const std::string& dir, const std::string& name, FindEntry* entry) {
  if (run.fs.LookUp(dir + name, entry)) return true;

  std::string pattern = name;
  bool hasWild = false;
  for (char& c : pattern) {
    if (IsWild(static_cast<unsigned char>(c))) {
      c = '?';
      hasWild = true;
    }
  }
  if (!hasWild) return false;

  // Types suffice for the search, which so serves from what the walk read
  // (files may be being read meanwhile); the entry taken is looked up by its
  // own name where the platform finds it so, else taken as the search gave it.
  std::vector<FindEntry> found;
  if (!run.fs.FindFiles(dir, pattern, FindDetail::kTypes, &found)) return false;
  for (FindEntry& candidate : found) {
    if (SameApartFromWild(name, candidate.name)) {
      if (!run.fs.LookUp(dir + candidate.name, entry)) *entry = std::move(candidate);
      return true;
    }
  }
  return false;
}

}  // namespace korven
