// Files read by many threads are listed exactly as by one: the same records
// in the same order, the same messages, output file and summary.
#include <errno.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "harness.h"

namespace korven::e2e {
namespace {

// The elapsed time is the one line two runs may tell apart.
std::string WithoutElapsed(const std::string& text) {
  return std::regex_replace(text, std::regex("Elapsed:[^\n]*"), "Elapsed:");
}

// Three levels of directories with files of many sizes, two of them more than
// a read chunk long, names in mixed case, and streams where the file system
// takes user attributes.
void AddMixedTree(TempTree& tree) {
  for (const char* dir : {"", "Alpha/", "Alpha/deep/", "beta/", "beta/Deeper/", "beta/Deeper/last/"}) {
    for (int i = 0; i < 30; ++i) {
      const std::string name = std::string(dir) + (i % 3 == 0 ? "File" : "file") + std::to_string(i) +
                               (i % 2 == 0 ? ".txt" : ".dat");
      tree.AddFileOfSize(name, static_cast<uint64_t>(i) * i * 37);
    }
  }
  tree.AddFileOfSize("Alpha/big.bin", 1536 * 1024 + 7);
  tree.AddFileOfSize("beta/bigger.bin", 3 << 20);
  tree.AddFile("beta/empty.txt", "");
  for (const char* object : {"Alpha/file1.dat", "beta/Deeper", "beta/bigger.bin"}) {
    setxattr(tree.Path(object).c_str(), "user.note", "remark", 6, 0);
  }
}

TEST(Threads, ListingsOfOneAndOfManyThreadsAreTheSame) {
  TempTree tree;
  AddMixedTree(tree);
  const std::string output = HostPath(tree.Path("out.lst"));
  const std::vector<std::vector<std::string>> optionSets = {
      {},
      {"-r"},
      {"-r", "-S"},
      {"-r", "-x", "*.dat"},
      {"-r", "-f", "*.txt", "*.bin"},
      {"-r", "-G", "1000"},
      {"-r", "-l", "3"},
      {"-r", "-D", "5"},
      {"-r", "-8", "-t3"},
      {"-r", "-o", output},
      {"-r", "-M", "-o", output},
      {"-r", "--sfv", "-o", output},
  };
  for (const std::vector<std::string>& options : optionSets) {
    std::string shown;
    for (const std::string& option : options) shown += " " + option;
    std::vector<std::string> listed[2];
    const char* threads[2] = {"--threads=1", "--threads=4"};
    for (int i = 0; i < 2; ++i) {
      std::vector<std::string> args = options;
      args.push_back(threads[i]);
      RunResult result = RunKorven(args, tree.Root());
      EXPECT_EQ(result.status, 0) << shown << " " << threads[i] << "\n" << result.err;
      listed[i] = {result.out, WithoutElapsed(result.err), WithoutElapsed(ReadFileText(tree.Path("out.lst")))};
      unlink(tree.Path("out.lst").c_str());
    }
    EXPECT_EQ(listed[0][0], listed[1][0]) << shown;
    EXPECT_EQ(listed[0][1], listed[1][1]) << shown;
    EXPECT_EQ(listed[0][2], listed[1][2]) << shown;
    EXPECT_NE(listed[1][0] + listed[1][2], "") << shown;
  }
}

// Files removed while many threads read ahead are either listed with the CRC
// of what was read or left out, never listed as unreadable; the summary
// counts the records written.
TEST(Threads, FilesRemovedWhileReadAheadAreListedWholeOrLeftOut) {
  TempTree tree;
  // The first directory listed holds a file long enough to read that the
  // files after it are removed while the listing waits for it: some read
  // ahead before, some after, and more than are ever queued at once.
  tree.AddFileOfSize("a/big.bin", 256 << 20);
  constexpr int kFiles = 3000;
  for (int i = 0; i < kFiles; ++i) tree.AddFile("b/f" + std::to_string(i) + ".txt", "x");
  std::thread remover([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    for (int i = 0; i < kFiles; i += 2) unlink(tree.Path("b/f" + std::to_string(i) + ".txt").c_str());
  });
  RunResult result = RunKorven({"-r", "--threads=8"}, tree.Root());
  remover.join();
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out.find("CRCERROR"), std::string::npos) << result.out;
  long records = 0;
  for (size_t at = result.out.find(ListedName(tree.Path("b/F"))); at != std::string::npos;
       at = result.out.find(ListedName(tree.Path("b/F")), at + 1)) {
    ++records;
    // Each record of a file of b is that of "x".
    EXPECT_NE(result.out.substr(at, result.out.find('\n', at) - at).find("8CDC1683"), std::string::npos);
  }
  EXPECT_GE(records, kFiles / 2);
  EXPECT_NE(result.err.find(std::to_string(records + 1) + " files,"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace korven::e2e
