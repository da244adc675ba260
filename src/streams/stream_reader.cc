#include "streams/stream_reader.h"

#include <cstdio>

#include "run/run.h"
#include "run/terminate.h"

namespace korven {

namespace {

constexpr const char* kReaderModuleName = "Dmp_fun";

// Without the privileges a run can still list everything but the streams.
[[noreturn]] void EndForPrivileges(Run& run, int line, const char* what) {
  fprintf(run.message, "\n%d %s %s", line, kReaderModuleName, what);
  fprintf(run.message, "\nTry using the -S option and rerun program\n\n");
  Terminate(run, kOtherExit);
}

}  // namespace

bool StreamsShown(const Run& run) {
  return run.volumeType == kVolumeNamedStreams && run.countingPass == 0 && run.settings.showStreams != 0;
}

void ReadStreams(Run& run, const std::string& path, std::vector<StreamEntry>* streams) {
  // A file's streams were read together with its CRC-32 where it could be opened.
  KeptStreams& kept = run.keptStreams;
  StreamsRead read;
  if (!kept.path.empty() && kept.path == path) {
    streams->swap(kept.streams);
    read = kept.read;
    kept.path.clear();
  } else {
    read = run.fs.NamedStreams(path, streams);
  }
  switch (read) {
    case StreamsRead::kRead:
      break;
    case StreamsRead::kHeaderUnreadable:
      fprintf(run.message, "\n%d %s Alt Data Read error", 75, kReaderModuleName);
      break;
    case StreamsRead::kNameUnreadable:
      fprintf(run.message, "\n%d", 123);
      break;
    case StreamsRead::kTokenUnopenable:
      EndForPrivileges(run, 220, "Token open error");
    case StreamsRead::kBackupPrivilegeUnknown:
      EndForPrivileges(run, 229, "Privilege error");
    case StreamsRead::kRestorePrivilegeUnknown:
      EndForPrivileges(run, 236, "LookupPrivilegeValue error");
  }
}

}  // namespace korven
