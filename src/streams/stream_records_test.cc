#include "streams/stream_records.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/path.h"
#include "run/run.h"
#include "run/terminate.h"
#include "streams/file_streams.h"
#include "testing/memory_file_system.h"
#include "testing/test_run.h"

namespace korven {
namespace {

std::string Padded(const std::string& text, size_t width) {
  return text + std::string(width > text.size() ? width - text.size() : 0, ' ');
}

// A.TXT in directory T of a volume with named streams: its streams info
// ("hello") and more ("x"), listed in the main pass with the defaults but
// without times. NamedStreams reports `read`.
struct Streamed {
  MemoryFileSystem fs;
  TestRun t{fs};
  korven::Run& run = t.run;
  std::string file = std::string(1, kPathSeparator) + "T" + kPathSeparator + "A.TXT";

  explicit Streamed(StreamsRead read = StreamsRead::kRead) {
    run.countingPass = 0;
    run.volumeType = kVolumeNamedStreams;
    run.settings.printDateTime = 0;
    fs.AddFile(file, "abc");
    fs.AddStream(file, ":info:$DATA", "hello");
    fs.AddStream(file, ":more:$DATA", "x");
    fs.streamsRead = read;
  }
};

// What the file system reports and the message it leads to.
struct ReadCase {
  StreamsRead read;
  const char* message;
};

TEST(StreamRecords, AStreamThatCantBeReadEndsTheObjectsStreamsNotTheRun) {
  const ReadCase cases[] = {
      {StreamsRead::kRead, ""},
      {StreamsRead::kHeaderUnreadable, "\n75 Dmp_fun Alt Data Read error"},
      {StreamsRead::kNameUnreadable, "\n123"},
  };
  for (const ReadCase& c : cases) {
    Streamed s(c.read);
    ListFileStreams(s.run, s.file, "A.TXT");
    EXPECT_EQ(s.t.Messages(), c.message);
    // The streams read before the fault are listed and counted like files.
    EXPECT_EQ(s.t.Listing(), Padded(s.file + ":info", 35) + " 3610A686           5 \n" +
                                          Padded(s.file + ":more", 35) + " 8CDC1683           1 \n");
    EXPECT_EQ(s.run.counters.streamCount, 2);
    EXPECT_EQ(s.run.counters.listedFiles, 2);
    EXPECT_EQ(s.run.counters.listedBytes, 6);
  }
}

TEST(StreamRecords, PrivilegesThatCantBeHadEndTheRunWithReasonSeven) {
  const ReadCase cases[] = {
      {StreamsRead::kTokenUnopenable, "\n220 Dmp_fun Token open error"},
      {StreamsRead::kBackupPrivilegeUnknown, "\n229 Dmp_fun Privilege error"},
      {StreamsRead::kRestorePrivilegeUnknown, "\n236 Dmp_fun LookupPrivilegeValue error"},
  };
  for (const ReadCase& c : cases) {
    Streamed s(c.read);
    int status = -1;
    try {
      ListStreams(s.run, s.file, "A.TXT");
    } catch (const RunEnded& ended) {
      status = ended.status;
    }
    EXPECT_EQ(status, kOtherExit);
    EXPECT_TRUE(s.t.Messages().starts_with(std::string(c.message) +
                                                  "\nTry using the -S option and rerun program\n\n"));
  }
}

TEST(StreamRecords, ReadOnlyInTheMainPassWithStreamsOnAndOnAVolumeThatHoldsThem) {
  struct Case {
    const char* what;
    void (*set)(korven::Run&);
  };
  const Case cases[] = {
      {"-S", [](korven::Run& r) { r.settings.showStreams = 0; }},
      {"counting pass", [](korven::Run& r) { r.countingPass = 1; }},
      {"FAT volume", [](korven::Run& r) { r.volumeType = kVolumeFat; }},
  };
  for (const Case& c : cases) {
    Streamed s;
    c.set(s.run);
    ListFileStreams(s.run, s.file, "A.TXT");
    EXPECT_EQ(s.t.Listing(), "") << c.what;
    EXPECT_EQ(s.run.counters.streamCount, 0) << c.what;
  }
}

}  // namespace
}  // namespace korven
