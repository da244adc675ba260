// Fitting a path to the name field. The first two bytes are the width (as a
// signed number), the rest the path. Both forms keep the path's end; the
// tail form is exactly the width wide.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_input.h"
#include "listing/name_fitting.h"
#include "platform/path.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  int16_t width;
  memcpy(&width, data, sizeof width);
  const std::string path(reinterpret_cast<const char*>(data + 2), size - 2);
  const bool fits = static_cast<int>(path.size()) <= width;

  const std::string standard = korven::FitStandard(path, width);
  if (fits || width <= 7) {
    korven::Require(standard == path);
  } else {
    korven::Require(standard.starts_with(korven::PathHead(path) + "..."));
    korven::Require(standard.back() == path.back());
  }

  const std::string tail = korven::FitTail(path, width);
  if (fits || width <= 10) {
    korven::Require(tail == path);
  } else {
    korven::Require(static_cast<int>(tail.size()) == width);
    korven::Require(tail.back() == path.back());
  }
  return 0;
}
