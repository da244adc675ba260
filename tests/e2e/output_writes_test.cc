// Output goes out in blocks: to NUL (/dev/null) and to a file a listing takes
// a write for many records, never one per record or per character.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "harness.h"

namespace korven::e2e {
namespace {

constexpr int kFiles = 300;

TEST(OutputWrites, ListingAndProgressTakeAWriteForManyRecords) {
  TempTree tree;
  for (int i = 0; i < kFiles; ++i) tree.AddFile("f" + std::to_string(1000 + i) + ".txt", "x");
  TempTree elsewhere;
  const std::string output = HostPath(elsewhere.Path("out.txt"));
  struct Case {
    const char* what;
    std::vector<std::string> args;
    std::string writesTo;  // as strace names the file
  };
  const Case cases[] = {
      {"listing to NUL", {"-v"}, "</dev/null>"},
      {"progress to NUL, listing to a file", {"-o", output}, "</dev/null>"},
      {"listing to a file", {"-o", output}, elsewhere.Path("out.txt") + ">"},
  };
  for (const Case& c : cases) {
    std::string why;
    std::vector<std::string> writes = TracedWrites(c.args, tree.Root(), &why);
    if (writes.empty()) GTEST_SKIP() << why;
    long count = std::count_if(writes.begin(), writes.end(),
                               [&c](const std::string& line) { return line.find(c.writesTo) != std::string::npos; });
    EXPECT_GT(count, 0) << c.what;
    EXPECT_LE(count, kFiles / 10) << c.what;
  }
}

}  // namespace
}  // namespace korven::e2e
