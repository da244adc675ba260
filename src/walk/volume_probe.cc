#include <string>

#include "platform/file_system.h"
#include "platform/path.h"
#include "run/run.h"
#include "walk/walker.h"

namespace korven {

int ProbeVolume(Run& run, const std::string& path) {
  if (path.empty()) return kVolumeOther;
  // Only the drive named by the first character counts; a path without a
  // drive letter asks for a root that does not exist and gets kVolumeOther.
  std::string root = DriveRootOf(path);
  return run.fs.VolumeType(root.empty() ? path : root);
}

}  // namespace korven
