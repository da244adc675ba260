// What the fuzz targets share: the scratch directory every file a fuzzed run
// writes lands in, and the input cut into words.
#ifndef KORVEN_FUZZ_FUZZ_INPUT_H_
#define KORVEN_FUZZ_FUZZ_INPUT_H_

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "testing/temp_dir.h"

namespace korven {

// Makes a fresh temporary directory the current one for the life of the
// fuzzer, and removes it at the end.
inline void EnterScratchDirectory() {
  static TempDir scratch;
  scratch.Enter();
}

// The input cut at every NUL byte.
inline std::vector<std::string> Words(const uint8_t* data, size_t size) {
  std::vector<std::string> words(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      words.emplace_back();
    } else {
      words.back() += static_cast<char>(data[i]);
    }
  }
  return words;
}

// The words with every '/' made '_': a name a run opens for writing (an
// accounting log) then stays inside the scratch directory, as no word can
// name another directory.
inline std::vector<std::string> ConfinedWords(const uint8_t* data, size_t size) {
  std::vector<std::string> words = Words(data, size);
  for (std::string& word : words) {
    for (char& c : word) {
      if (c == '/') c = '_';
    }
  }
  return words;
}

// Stops the fuzzer with a report when a property of the code does not hold.
inline void Require(bool holds) {
  if (!holds) abort();
}

}  // namespace korven

#endif  // KORVEN_FUZZ_FUZZ_INPUT_H_
