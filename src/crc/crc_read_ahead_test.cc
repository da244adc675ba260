#include "crc/crc_read_ahead.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "crc/crc_kernels.h"
#include "driver/driver.h"
#include "platform/file_system.h"
#include "platform/system.h"
#include "run/run.h"
#include "run/terminate.h"
#include "testing/memory_file_system.h"
#include "testing/test_run.h"

namespace korven {
namespace {

class CrcReadAheadTest : public testing::Test {
 protected:
  CrcReadAheadTest() {
    // Counts the files opened on threads other than the test's.
    fs_.beforeOpen = [this](const std::string&) {
      if (std::this_thread::get_id() != listingThread_) ++helperOpens_;
    };
  }

  // A file of `size` random bytes, with its entry and its CRC text by the reference kernel.
  void AddFile(size_t size) {
    std::mt19937 random(static_cast<uint32_t>(size + entries_.size()));
    std::string bytes(size, '\0');
    for (char& b : bytes) b = static_cast<char>(random());
    FindEntry entry;
    entry.name = "file" + std::to_string(entries_.size());
    entry.size = size;
    fs_.AddFile(dir_ + entry.name, bytes);
    entries_.push_back(entry);
    char text[kCrcTextSize];
    auto data = reinterpret_cast<const unsigned char*>(bytes.data());
    expected_.push_back(CrcToText(~CrcUpdateByteTable(kCrcInitialRegister, data, size), text));
  }

  std::vector<const FindEntry*> Batch() const {
    std::vector<const FindEntry*> files;
    for (const FindEntry& entry : entries_) files.push_back(&entry);
    return files;
  }

  std::string CrcOf(size_t index) {
    char text[kCrcTextSize];
    FileCrc(run_, dir_ + entries_[index].name, 0, text);
    return text;
  }

  // Waits until the helpers have opened at least `count` files.
  void AwaitHelperOpens(int count) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (helperOpens_.load() < count && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_GE(helperOpens_.load(), count);
  }

  const std::string dir_ = "/d/";
  const std::thread::id listingThread_ = std::this_thread::get_id();
  std::atomic<int> helperOpens_{0};
  std::vector<FindEntry> entries_;
  std::vector<std::string> expected_;
  MemoryFileSystem fs_;
  TestRun t_{fs_};
  korven::Run& run_ = t_.run;
};

TEST_F(CrcReadAheadTest, ResultsReadByHelpersAreTheFilesOwn) {
  for (size_t size : {size_t{0}, size_t{1}, size_t{4096}, kCrcReadChunk, kCrcReadChunk + 1, size_t{3} << 20}) {
    AddFile(size);
  }
  CrcReadAhead readAhead(run_, 2);
  ASSERT_EQ(run_.readAhead, &readAhead);
  CrcReadAheadBatch batch(run_, dir_, Batch());
  AwaitHelperOpens(static_cast<int>(entries_.size()));
  for (size_t i = 0; i < entries_.size(); ++i) EXPECT_EQ(CrcOf(i), expected_[i]) << entries_[i].size;
  EXPECT_EQ(t_.Messages(), "");
}

// The listing and the helpers race through batches; whoever reads a file,
// each result belongs to its file, also when the listing skips some.
TEST_F(CrcReadAheadTest, ListingTakesEveryResultInItsTurn) {
  for (size_t i = 0; i < 300; ++i) AddFile((i * 7919) % 20000);
  struct Case {
    unsigned helpers;
    size_t step;  // the listing asks for every step-th file
    bool opensAllAtOnce = false;
  };
  for (const Case& c : {Case{1, 1}, Case{3, 1}, Case{1, 3}, Case{3, 2}, Case{3, 1, true}, Case{3, 2, true}}) {
    fs_.opensAllAtOnce = c.opensAllAtOnce;
    CrcReadAhead readAhead(run_, c.helpers);
    for (int round = 0; round < 3; ++round) {
      const int opensBefore = helperOpens_.load();
      CrcReadAheadBatch batch(run_, dir_, Batch());
      // Files in memory read fast: without this the listing could outrun
      // the helpers every time, and the race would not be run.
      AwaitHelperOpens(opensBefore + 1);
      for (size_t i = 0; i < entries_.size(); i += c.step) {
        ASSERT_EQ(CrcOf(i), expected_[i]) << "helpers " << c.helpers << " step " << c.step << " file " << i;
      }
    }
  }
  // Files the listing skipped were dropped, also those opened at once.
  EXPECT_EQ(fs_.openFiles(), 0);
}

// A helper takes several files at once; those it has not begun when the
// listing comes to them the listing reads itself, rather than wait behind
// the file the helper is stuck in. Where the helper opened them all at
// once, it closes those the listing read.
TEST_F(CrcReadAheadTest, ListingReadsFilesAHelperTookButHasNotBegun) {
  // Enough files for the helper to take several at once.
  for (size_t i = 0; i < 64; ++i) AddFile(100);
  for (bool opensAllAtOnce : {false, true}) {
    fs_.opensAllAtOnce = opensAllAtOnce;
    std::atomic<bool> released{false};
    std::atomic<bool> helperGaveUp{false};
    helperOpens_.store(0);
    fs_.beforeOpen = [&](const std::string& path) {
      if (std::this_thread::get_id() == listingThread_ || path != dir_ + entries_[0].name) return;
      ++helperOpens_;
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
      while (!released.load()) {
        if (std::chrono::steady_clock::now() > deadline) {
          helperGaveUp.store(true);
          return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    };
    {
      CrcReadAhead readAhead(run_, 1);
      CrcReadAheadBatch batch(run_, dir_, Batch());
      AwaitHelperOpens(1);
      for (size_t i = 1; i < entries_.size(); ++i) EXPECT_EQ(CrcOf(i), expected_[i]) << i;
      EXPECT_FALSE(helperGaveUp.load()) << "the listing waited for the helper";
      released.store(true);
    }
    EXPECT_EQ(fs_.openFiles(), 0) << "opened all at once: " << opensAllAtOnce;
  }
}

TEST_F(CrcReadAheadTest, FileGoneBeforeItsReadIsACrcError) {
  AddFile(100);
  AddFile(200);
  fs_.RemoveFile(dir_ + entries_[0].name);
  CrcReadAhead readAhead(run_, 1);
  CrcReadAheadBatch batch(run_, dir_, Batch());
  AwaitHelperOpens(3);  // the gone file is tried by both opens
  EXPECT_EQ(CrcOf(0), "CRCERROR");
  EXPECT_EQ(CrcOf(1), expected_[1]);
}

TEST_F(CrcReadAheadTest, FilesOutsideTheBatchAreReadByTheListing) {
  AddFile(10);
  AddFile(20);
  CrcReadAhead readAhead(run_, 1);
  CrcReadAheadBatch batch(run_, dir_, {&entries_[0]});
  CrcOutcome outcome;
  EXPECT_FALSE(readAhead.Take(dir_ + entries_[1].name, 0, &outcome));
  EXPECT_FALSE(readAhead.Take(dir_ + entries_[0].name, 512, &outcome));
  EXPECT_EQ(CrcOf(1), expected_[1]);
}

// Whoever reads a file, its named streams come with its CRC-32 and wait in
// the run for its stream records.
TEST_F(CrcReadAheadTest, StreamsAreListedWithTheCrcOfARunThatShowsThem) {
  AddFile(10);
  AddFile(20);
  fs_.AddStream(dir_ + entries_[0].name, ":note:$DATA", "hello");
  run_.countingPass = 0;
  run_.volumeType = kVolumeNamedStreams;
  run_.settings.showStreams = 1;
  for (unsigned helpers : {0u, 1u}) {
    helperOpens_ = 0;
    CrcReadAhead readAhead(run_, helpers);
    CrcReadAheadBatch batch(run_, dir_, Batch());
    AwaitHelperOpens(static_cast<int>(helpers) * 2);
    const KeptStreams& kept = run_.keptStreams;
    EXPECT_EQ(CrcOf(0), expected_[0]);
    EXPECT_EQ(kept.path, dir_ + entries_[0].name) << helpers;
    ASSERT_EQ(kept.streams.size(), 1u) << helpers;
    EXPECT_EQ(kept.streams[0].name, ":note:$DATA");
    EXPECT_EQ(kept.streams[0].size, 5u);
    EXPECT_EQ(CrcOf(1), expected_[1]);
    EXPECT_EQ(kept.path, dir_ + entries_[1].name) << helpers;
    EXPECT_TRUE(kept.streams.empty()) << helpers;
  }
}

TEST_F(CrcReadAheadTest, InterruptSeenByAHelperEndsTheRunWithoutACrc) {
  AddFile(kCrcReadChunk * 2);
  t_.sys.interrupted = true;
  CrcReadAhead readAhead(run_, 1);
  CrcReadAheadBatch batch(run_, dir_, Batch());
  AwaitHelperOpens(1);
  try {
    CrcOf(0);
    FAIL() << "the run went on";
  } catch (const RunEnded& ended) {
    EXPECT_EQ(ended.status, kInputFile);
  }
}

// A search running ahead of the listing queues no more than the bound,
// however many files come, and is let go when the run ends.
TEST_F(CrcReadAheadTest, QueueHoldsAtMostTheBoundUntilTheListingTakes) {
  CrcReadAhead readAhead(run_, 1);
  std::atomic<size_t> queued{0};
  std::thread search([&] {
    for (size_t i = 0; i < CrcReadAhead::kMaxQueued + 10; ++i) {
      std::string path = dir_ + "gone" + std::to_string(i);
      if (!readAhead.Queue({&path, 1})) return;
      ++queued;
    }
  });
  auto awaitQueued = [&](size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (queued.load() < count && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // time to go past the bound, were it broken
  };
  awaitQueued(CrcReadAhead::kMaxQueued);
  EXPECT_EQ(queued.load(), CrcReadAhead::kMaxQueued);
  // The producer goes on only once the listing took the queue down to the
  // mark, and then queues the rest.
  const size_t toMark = CrcReadAhead::kMaxQueued - CrcReadAhead::kResumeQueuingAt;
  CrcOutcome outcome;
  for (size_t i = 0; i + 1 < toMark; ++i) readAhead.Take(dir_ + "gone" + std::to_string(i), 0, &outcome);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(queued.load(), CrcReadAhead::kMaxQueued);
  readAhead.Take(dir_ + "gone" + std::to_string(toMark - 1), 0, &outcome);
  awaitQueued(CrcReadAhead::kMaxQueued + 10);
  readAhead.StopQueuing();
  search.join();
  EXPECT_EQ(queued.load(), CrcReadAhead::kMaxQueued + 10);
}

// A search that fell behind the listing queues files the listing has passed.
// Once the listing waits for the next search, the search is not kept
// waiting for room, and those files are dropped, the ones it queues then
// too; the first file queued once the next search is handed on is the
// front of the queue, which the listing takes as a helper read it.
TEST_F(CrcReadAheadTest, SearchBehindTheListingIsLetGoAndItsFilesDropped) {
  AddFile(100);
  const std::string next = dir_ + entries_[0].name;
  std::atomic<bool> nextOpened{false};
  fs_.beforeOpen = [&](const std::string& path) { nextOpened = nextOpened || path == next; };
  CrcReadAhead readAhead(run_, 1);
  std::vector<std::string> passed(CrcReadAhead::kMaxQueued, dir_ + "passed");
  ASSERT_TRUE(readAhead.Queue(passed, false));
  std::thread search([&] {
    for (size_t i = 0; i <= CrcReadAhead::kMaxQueued; ++i) {  // the first waits for room
      std::string late = dir_ + "late";
      EXPECT_TRUE(readAhead.Queue({&late, 1}));
    }
  });
  readAhead.PassedOver(true);
  search.join();

  readAhead.PassedOver(false);
  std::string queued = next;  // taken over by the queue
  ASSERT_TRUE(readAhead.Queue({&queued, 1}, false));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!nextOpened.load() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  CrcOutcome outcome;
  ASSERT_TRUE(readAhead.Take(next, 0, &outcome));
  EXPECT_EQ(outcome.result, CrcRead::kDone);
}

// Memory that runs out while the helpers start leaves fewer of them, not a
// crash: the listing reads what they don't.
TEST_F(CrcReadAheadTest, MemoryRunningOutAsHelpersStartLeavesFewerHelpers) {
  AddFile(100);
  fs_.searchersBeforeNoMemory = 2;  // the listing's reader and one helper's
  CrcReadAhead readAhead(run_, 4);
  EXPECT_EQ(readAhead.helperCount(), 1u);
  EXPECT_EQ(CrcOf(0), expected_[0]);
}

// Files in memory are read by the helpers started at first; once reads are
// slow because they wait on the disk, the other helpers start and read too.
// Where the system counts the blocks a thread had read, slow reads for which
// the disk fetched nothing (a busy or paused machine) start no helper.
TEST_F(CrcReadAheadTest, MoreHelpersStartWhenReadsComeFromTheDisk) {
  for (size_t i = 0; i < 40; ++i) AddFile(100);
  struct Case {
    const char* name;
    bool counted;
    bool diskFetches;
    size_t readers;
  };
  for (const Case& c : {Case{"blocks not counted", false, false, 4}, Case{"disk fetches blocks", true, true, 4},
                        Case{"machine stalled", true, false, 1}}) {
    std::mutex mutex;
    std::set<std::thread::id> readers;
    std::atomic<uint64_t> blocks{0};
    fs_.beforeOpen = [&](const std::string&) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      if (c.diskFetches) blocks += 8;
      if (std::this_thread::get_id() == listingThread_) return;
      std::lock_guard<std::mutex> lock(mutex);
      readers.insert(std::this_thread::get_id());
    };
    fs_.blocksReadByThisThread = [&]() -> std::optional<uint64_t> {
      if (!c.counted) return std::nullopt;
      return blocks.load();
    };
    {
      CrcReadAhead readAhead(run_, CrcReadAhead::HelperCount{4, 1});
      CrcReadAheadBatch batch(run_, dir_, Batch());
      for (size_t i = 0; i < entries_.size(); ++i) ASSERT_EQ(CrcOf(i), expected_[i]) << c.name << " " << i;
      // Helpers not needed are not started at all.
      EXPECT_EQ(readAhead.helperCount(), c.readers) << c.name;
    }
    fs_.beforeOpen = nullptr;
    fs_.blocksReadByThisThread = nullptr;
    EXPECT_EQ(readers.size(), c.readers) << c.name;
  }
}

TEST_F(CrcReadAheadTest, HelpersForTheDiskStopOnceReadsComeFromMemoryAgain) {
  // The first files come from the disk, the many after them from memory,
  // each taking a while, so that every helper reading would share them.
  constexpr size_t kFromDisk = 40;
  constexpr size_t kLastFiles = 100;
  for (size_t i = 0; i < kFromDisk + 200; ++i) AddFile(100);
  std::mutex mutex;
  std::vector<std::thread::id> openedBy(entries_.size());
  std::atomic<uint64_t> blocks{0};
  fs_.beforeOpen = [&](const std::string& path) {
    const size_t index = std::stoul(path.substr(path.rfind("file") + 4));
    std::this_thread::sleep_for(std::chrono::milliseconds(index < kFromDisk ? 5 : 1));
    if (index < kFromDisk) blocks += 8;
    std::lock_guard<std::mutex> lock(mutex);
    openedBy[index] = std::this_thread::get_id();
  };
  fs_.blocksReadByThisThread = [&]() -> std::optional<uint64_t> { return blocks.load(); };
  {
    CrcReadAhead readAhead(run_, CrcReadAhead::HelperCount{4, 1});
    CrcReadAheadBatch batch(run_, dir_, Batch());
    for (size_t i = 0; i < entries_.size(); ++i) ASSERT_EQ(CrcOf(i), expected_[i]) << i;
    EXPECT_EQ(readAhead.helperCount(), 4u);
  }
  fs_.beforeOpen = nullptr;
  fs_.blocksReadByThisThread = nullptr;
  // From memory again, the one helper that reads from the start and the
  // listing read the last files, as before any read came from the disk.
  std::set<std::thread::id> helpers;
  for (size_t i = entries_.size() - kLastFiles; i < entries_.size(); ++i) {
    if (openedBy[i] != listingThread_) helpers.insert(openedBy[i]);
  }
  EXPECT_LE(helpers.size(), 1u);
}

TEST_F(CrcReadAheadTest, UnregistersFromTheRunAndStartsNoHelpersWhenAskedForNone) {
  {
    CrcReadAhead readAhead(run_, 0);
    EXPECT_EQ(readAhead.helperCount(), 0u);
    EXPECT_EQ(run_.readAhead, nullptr);
  }
  {
    CrcReadAhead readAhead(run_, 2);
    EXPECT_EQ(readAhead.helperCount(), 2u);
  }
  EXPECT_EQ(run_.readAhead, nullptr);
}

// What a run shows and leaves behind: its exit status, listing and
// messages, the files' contents afterwards and the opens it took.
struct Outcome {
  int status = -1;
  std::string listing;
  std::string messages;
  std::string files;
  int opens = 0;
};

// The program run on one small tree, recursively, with `options`; helpers
// read ahead where the file system reads in parallel and the run suits them.
Outcome ListTree(const std::vector<std::string>& options, bool readsInParallel) {
  struct File {
    const char* path;
    std::string content;
    int day;  // written at noon UTC of this day of March 2008; "now" is the 7th
  };
  std::string random(100000, '\0');
  std::mt19937 generator(7);
  for (char& c : random) c = static_cast<char>(generator());
  std::vector<File> files = {
      {"/t/a.txt", "123456789", 6},
      {"/t/big.bin", random, 1},
      {"/t/empty.txt", "", 7},
      {"/t/signed.exe", "123456789CBF43926", 3},
      {"/t/sub/deep.dat", random.substr(0, 5000), 2},
      {"/t/sub/small.txt", "abc", 5},
  };
  // Many files in one directory, for the helpers to get ahead of the listing.
  std::vector<std::string> names;
  for (size_t i = 0; i < 40; ++i) names.push_back("/t/many/f" + std::to_string(i) + ".dat");
  for (size_t i = 0; i < names.size(); ++i) {
    files.push_back({names[i].c_str(), random.substr(i * 1000, i * 97), static_cast<int>(1 + i % 7)});
  }
  MemoryFileSystem fs;
  fs.readsInParallel = readsInParallel;
  for (const File& file : files) {
    FileTimes times;
    times.write = times.access = times.creation = EpochToFileTime(UtcSeconds(2008, 3, file.day, 12, 0, 0));
    fs.AddFile(file.path, file.content, times);
  }

  TestRun t(fs);
  // Files in memory read fast: where helpers run, the listing's first open
  // waits until one of them has opened a file, so that they take part.
  const std::thread::id listingThread = std::this_thread::get_id();
  std::atomic<bool> helperOpened{false};
  fs.beforeOpen = [&](const std::string&) {
    if (std::this_thread::get_id() != listingThread) {
      helperOpened = true;
    } else if (t.run.readAhead != nullptr && t.run.readAhead->helperCount() > 0) {
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
      while (!helperOpened && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    }
  };
  std::vector<std::string> args = {"korven", "/t", "-r"};
  args.insert(args.end(), options.begin(), options.end());
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  Outcome outcome;
  try {
    RunProgram(t.run, static_cast<int>(argv.size()), argv.data());
  } catch (const RunEnded& ended) {
    outcome.status = ended.status;
  }
  outcome.listing = t.Listing();
  outcome.messages = t.Messages();
  for (const File& file : files) outcome.files += std::string(file.path) + ": " + fs.Content(file.path) + "\n";
  outcome.opens = fs.opensForReading + fs.fallbackOpens;
  return outcome;
}

// Helpers only ever save time: under every option set the run lists the
// same bytes, changes the files alike and opens no file more often.
TEST(CrcReadAheadRunTest, ListsTheSameWithAndWithoutHelpers) {
  const std::vector<std::string> optionSets[] = {
      {},           {"-N"},       {"-l", "3"}, {"-g", "3"}, {"-G", "1000"}, {"-L", "1000"},
      {"-C"},       {"-V"},       {"-E"},      {"-R"},      {"-b"},         {"-D4"},
      {"-C", "-V"}, {"-x", "*.TXT"},
  };
  for (const std::vector<std::string>& options : optionSets) {
    std::string shown;
    for (const std::string& option : options) shown += " " + option;
    const Outcome alone = ListTree(options, false);
    const Outcome helped = ListTree(options, true);
    EXPECT_EQ(helped.status, alone.status) << shown;
    EXPECT_EQ(helped.listing, alone.listing) << shown;
    EXPECT_EQ(helped.messages, alone.messages) << shown;
    EXPECT_EQ(helped.files, alone.files) << shown;
    EXPECT_EQ(helped.opens, alone.opens) << shown;
  }
}

}  // namespace
}  // namespace korven
