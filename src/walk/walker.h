// Walks search paths and hands each selected file to the file processor.
#ifndef KORVEN_WALK_WALKER_H_
#define KORVEN_WALK_WALKER_H_

#include <string>

namespace korven {

struct Run;

// Walks one search path (ending in the path separator); recursive.
void WalkPath(Run& run, const std::string& path);
// Selects and hands on the files of one directory, type by type.
void ListDirectory(Run& run, const std::string& path);
// kVolumeNamedStreams, kVolumeFat or kVolumeOther for the first search path.
int ProbeVolume(Run& run, const std::string& path);
// True when the user pressed Ctrl-C or Escape since the last call.
bool KeyAbort(Run& run);

}  // namespace korven

#endif  // KORVEN_WALK_WALKER_H_
