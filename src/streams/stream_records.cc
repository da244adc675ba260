#include "streams/stream_records.h"

#include <cstdio>
#include <string_view>
#include <vector>

#include "crc/file_crc.h"
#include "listing/file_times.h"
#include "listing/name_fitting.h"
#include "listing/progress.h"
#include "listing/record_layout.h"
#include "platform/file_system.h"
#include "run/run.h"
#include "streams/stream_reader.h"

namespace korven {

namespace {

constexpr const char* kRecordsModuleName = "Ads_crc";
constexpr int kStreamTimesLine = 96;

// The stream's name without its type: ":info:$DATA" gives ":info". The type
// follows the last colon, so a POSIX stream name may hold colons of its own.
std::string_view WithoutType(std::string_view name) {
  const size_t type = name.rfind(':');
  return type == std::string_view::npos || type == 0 ? name : name.substr(0, type);
}

}  // namespace

long ListStreams(Run& run, const std::string& objectPath, const std::string& bareName) {
  std::vector<StreamEntry> streams;
  ReadStreams(run, objectPath, &streams);
  if (streams.empty()) return 0;

  const RunSettings& s = run.settings;
  // A stream has the times of its file or directory: NTFS keeps one set of
  // times per file, and POSIX attributes have none of their own.
  TimeBlock times;
  const bool timesRead = TimesByHandle(run, objectPath, &times, s.zuluTime != 0);
  if (!timesRead) ConvertTimes(run, FileTimes{}, &times, s.zuluTime != 0);

  std::string streamPath;
  std::string nameText;
  for (const StreamEntry& stream : streams) {
    const std::string_view streamName = WithoutType(stream.name);
    streamPath.assign(objectPath).append(streamName);
    if (!timesRead) {
      fprintf(run.message, "\n%d %s\nCouldn't get filetime for %s", kStreamTimesLine, kRecordsModuleName,
              streamPath.c_str());
    }
    // The stream is read before its record is begun, as a file is.
    char crcText[kCrcTextSize];
    if (!s.pathNameOnly) {
      const int progress = ShowProgress(run, bareName);
      StreamCrc(run, objectPath, stream.name, stream.size, streamPath, run.values.displacement, crcText);
      EraseProgress(run, progress);
    }
    nameText.assign(streamPath);
    FitToNameWidth(run, nameText);
    ++run.counters.listedFiles;
    run.counters.listedBytes += static_cast<int64_t>(stream.size);

    if (s.nameOnly) {
      WriteWholeNameField(run, std::string(bareName).append(streamName));
    } else {
      WriteNameField(run, nameText);
    }
    if (s.pathNameOnly) {
      // Names only, as for files.
      EndPathNameRecord(run);
      continue;
    }
    WriteCrcField(run, crcText);
    WriteStreamSizeField(run, static_cast<int64_t>(stream.size));
    WriteTimeFields(run, times);
    // Streams have no 8.3 name: blanks in its place keep the columns.
    WriteDosNameField(run, "");
    EndRecord(run);
  }
  return static_cast<long>(streams.size());
}

}  // namespace korven
