#include "platform/system.h"
#include "run/run.h"
#include "walk/walker.h"

namespace korven {

namespace {
constexpr int kCtrlC = 3;
constexpr int kEscape = 27;
}  // namespace

bool KeyAbort(Run& run) {
  // Any other key is consumed by the poll and ignored.
  int key = run.sys.PollKey();
  return key == kEscape || key == kCtrlC;
}

}  // namespace korven
