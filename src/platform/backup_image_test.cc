#include "platform/backup_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace korven {
namespace {

constexpr uint32_t kBackupData = 1;      // the main data stream
constexpr uint32_t kBackupSecurity = 3;  // the security descriptor
constexpr uint32_t kBackupAlternateData = 4;

struct Stream {
  uint32_t id;
  const char* name;  // ASCII; "" for an unnamed stream
  uint64_t size;     // bytes of data behind the name
  uint32_t attributes = 0;
};

// A recorded backup image served the way BackupRead and BackupSeek serve it:
// reads run across headers, names and data; a seek stops at the end of the
// current stream's data.
class RecordedImage {
 public:
  explicit RecordedImage(const std::vector<Stream>& streams) {
    for (const Stream& s : streams) {
      std::u16string name(s.name, s.name + strlen(s.name));
      const uint32_t nameBytes = static_cast<uint32_t>(name.size() * 2);
      for (uint32_t field : {s.id, s.attributes, static_cast<uint32_t>(s.size),
                             static_cast<uint32_t>(s.size >> 32), nameBytes}) {
        for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(static_cast<char>(field >> shift));
      }
      bytes_.append(reinterpret_cast<const char*>(name.data()), nameBytes);
      // Only the first bytes of large data are recorded; a seek skips them all.
      bytes_.append(static_cast<size_t>(std::min<uint64_t>(s.size, 8)), 'd');
      dataEnds_.push_back(bytes_.size());
    }
  }

  BackupImageCalls Calls() {
    BackupImageCalls calls;
    calls.read = [this](void* buffer, uint32_t count) -> int64_t {
      if (reads_++ == failingRead) return failure;
      const size_t taken = std::min<size_t>({count, bytes_.size() - position_, shortRead});
      memcpy(buffer, bytes_.data() + position_, taken);
      position_ += taken;
      return static_cast<int64_t>(taken);
    };
    calls.skipData = [this] {
      ++seeks;
      position_ = *std::upper_bound(dataEnds_.begin(), dataEnds_.end(), position_ - 1);
    };
    calls.nameText = [](const char16_t* units, size_t count) { return std::string(units, units + count); };
    return calls;
  }

  int failingRead = -1;  // the read (counted from 0) that fails
  int64_t failure = kBackupReadFailed;
  size_t shortRead = SIZE_MAX;  // most bytes any read delivers
  int seeks = 0;

 private:
  std::string bytes_;
  std::vector<size_t> dataEnds_;
  size_t position_ = 0;
  int reads_ = 0;
};

std::vector<std::string> Names(const std::vector<StreamEntry>& streams) {
  std::vector<std::string> names;
  for (const StreamEntry& s : streams) names.push_back(s.name);
  return names;
}

const std::vector<Stream> kFileWithTwoStreams = {
    {kBackupSecurity, "", 20},
    {kBackupData, "", 3},
    {kBackupAlternateData, ":empty:$DATA", 0},
    {kBackupAlternateData, ":info:$DATA", 5, 8},
};

TEST(BackupImage, NamedStreamsAreListedAndEverythingElseSkipped) {
  RecordedImage image(kFileWithTwoStreams);
  std::vector<StreamEntry> streams;
  EXPECT_EQ(ReadBackupImage(image.Calls(), &streams), StreamsRead::kRead);
  ASSERT_EQ(Names(streams), (std::vector<std::string>{":empty:$DATA", ":info:$DATA"}));
  EXPECT_EQ(streams[0].size, 0u);
  EXPECT_EQ(streams[1].size, 5u);
  EXPECT_EQ(streams[1].attributes, 8u);
  // The security data, the main data and info's data; none for the empty stream.
  EXPECT_EQ(image.seeks, 3);
}

TEST(BackupImage, EveryStreamOfAManyStreamedFileAndSizesPastFourGiB) {
  std::vector<std::string> names;
  std::vector<Stream> recorded = {{kBackupData, "", 0}};
  for (int i = 0; i < 12; ++i) names.push_back(":s" + std::to_string(i) + ":$DATA");
  for (const std::string& name : names) recorded.push_back({kBackupAlternateData, name.c_str(), 1});
  recorded.push_back({kBackupAlternateData, ":big:$DATA", (uint64_t{5} << 32) + 7});
  RecordedImage image(recorded);
  std::vector<StreamEntry> streams;
  EXPECT_EQ(ReadBackupImage(image.Calls(), &streams), StreamsRead::kRead);
  ASSERT_EQ(streams.size(), 13u);
  EXPECT_EQ(Names(streams).front(), names.front());
  EXPECT_EQ(streams.back().size, (uint64_t{5} << 32) + 7);
}

TEST(BackupImage, FaultsKeepTheStreamsReadBeforeThem) {
  struct Case {
    const char* what;
    int failingRead;  // reads: 0 security header, 1 data header, 2 header, 3 name, 4 header, 5 name
    int64_t failure;
    size_t shortRead;
    StreamsRead expected;
    size_t streamsKept;
  };
  const Case cases[] = {
      {"no backup interface", 0, kBackupUnsupported, SIZE_MAX, StreamsRead::kRead, 0},
      {"first header unreadable", 0, kBackupReadFailed, SIZE_MAX, StreamsRead::kHeaderUnreadable, 0},
      {"later header unreadable", 4, kBackupReadFailed, SIZE_MAX, StreamsRead::kHeaderUnreadable, 1},
      {"name unreadable", 5, kBackupReadFailed, SIZE_MAX, StreamsRead::kNameUnreadable, 1},
      {"short header", -1, 0, 12, StreamsRead::kHeaderUnreadable, 0},
  };
  for (const Case& c : cases) {
    RecordedImage image(kFileWithTwoStreams);
    image.failingRead = c.failingRead;
    image.failure = c.failure;
    image.shortRead = c.shortRead;
    std::vector<StreamEntry> streams;
    EXPECT_EQ(ReadBackupImage(image.Calls(), &streams), c.expected) << c.what;
    EXPECT_EQ(streams.size(), c.streamsKept) << c.what;
  }
}

TEST(BackupImage, ANameShorterThanAnnouncedEndsTheWalk) {
  RecordedImage image({{kBackupAlternateData, ":a:$DATA", 1}, {kBackupAlternateData, ":longer:$DATA", 1}});
  image.shortRead = 20;  // every header whole, the second name (26 bytes) cut
  std::vector<StreamEntry> streams;
  EXPECT_EQ(ReadBackupImage(image.Calls(), &streams), StreamsRead::kRead);
  EXPECT_EQ(Names(streams), (std::vector<std::string>{":a:$DATA"}));
}

}  // namespace
}  // namespace korven
