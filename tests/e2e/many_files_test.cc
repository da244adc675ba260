// Directories of many files: every record carries its own file's CRC-32,
// in the directory's order, whatever reads the files.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>

#include "harness.h"
#include "testing/bitwise_crc.h"

namespace korven::e2e {
namespace {

std::string Hex(uint32_t value) {
  char text[9];
  snprintf(text, sizeof text, "%08X", value);
  return text;
}

TEST(ManyFiles, EveryRecordCarriesItsOwnFilesCrcInDirectoryOrder) {
  TempTree tree;
  std::map<std::string, std::string> expected;  // listed name -> CRC text
  for (int dir = 0; dir < 3; ++dir) {
    for (int file = 0; file < 120; ++file) {
      char relative[32];
      snprintf(relative, sizeof relative, "d%d/f%d.bin", dir, 1000 + file);
      std::string contents;
      for (int i = 0; i < (file * 131 + dir * 17) % 3000; ++i) contents += static_cast<char>(i * 31 + file + dir);
      tree.AddFile(relative, contents);
      expected[ListedName(tree.Path(relative))] = Hex(BitwiseCrc32(contents));
    }
  }
  constexpr size_t kWidth = 300;
  RunResult result = RunKorven({"-r", "-v", "-w", std::to_string(kWidth)}, tree.Root());
  ASSERT_EQ(result.status, 0) << result.err;

  std::istringstream lines(result.out);
  std::string line;
  auto next = expected.begin();  // names in upper case sort as the listing orders them
  size_t records = 0;
  while (std::getline(lines, line)) {
    if (line.size() < kWidth + 9 || line.find(ListedName(tree.Root())) != 0) continue;
    ASSERT_NE(next, expected.end()) << line;
    EXPECT_EQ(line.substr(0, next->first.size()), next->first);
    EXPECT_EQ(line.substr(kWidth + 1, 8), next->second) << next->first;
    ++next;
    ++records;
  }
  EXPECT_EQ(records, expected.size());
}

}  // namespace
}  // namespace korven::e2e
