// Every file is found and read by its exact name: after a file that cannot be
// opened, beside names that show alike, and at the end of a deep path.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "harness.h"
#include "testing/bitwise_crc.h"

namespace korven::e2e {
namespace {

constexpr size_t kWidth = 1100;  // wider than any path here: no name is fitted

std::string Hex(uint32_t value) {
  char text[9];
  snprintf(text, sizeof text, "%08X", value);
  return text;
}

// Each record's CRC text by its name field.
std::map<std::string, std::string> CrcByName(const std::string& out) {
  std::map<std::string, std::string> records;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    if (line.size() < kWidth + 9) continue;
    std::string name = line.substr(0, kWidth);
    name.erase(name.find_last_not_of(' ') + 1);
    records[name] = line.substr(kWidth + 1, 8);
  }
  return records;
}

// The CRC text of each record of a recursive listing of the tree.
std::map<std::string, std::string> ListedCrcs(const TempTree& tree, const std::vector<std::string>& args) {
  std::vector<std::string> all = args;
  all.insert(all.end(), {"-r", "-v", "-w", std::to_string(kWidth)});
  RunResult result = RunKorven(all, tree.Root());
  EXPECT_EQ(result.status, 0) << result.err;
  return CrcByName(result.out);
}

// The CRC texts of `crcs`, in order, for records whose names cannot be told in advance.
std::vector<std::string> SortedCrcs(const std::map<std::string, std::string>& crcs) {
  std::vector<std::string> texts;
  for (const auto& entry : crcs) texts.push_back(entry.second);
  std::sort(texts.begin(), texts.end());
  return texts;
}

// The CRC text each record of `files` (path in the tree -> contents) must show.
std::map<std::string, std::string> ExpectedCrcs(const TempTree& tree, const std::map<std::string, std::string>& files) {
  std::map<std::string, std::string> expected;
  for (const auto& [relative, contents] : files) expected[ListedName(tree.Path(relative))] = Hex(BitwiseCrc32(contents));
  return expected;
}

// The walk reads a/ first: a file there that cannot be opened must change
// nothing about how café/ and the files after it are found and shown.
TEST(ExactNames, AfterAFileThatCannotBeOpenedEveryLaterFileKeepsItsName) {
  TempTree tree;
  const std::map<std::string, std::string> files = {
      {"a/locked.txt", "locked"}, {"café/inside.txt", "inside"}, {"café.txt", "top"}, {"zz.txt", "last"}};
  for (const auto& [relative, contents] : files) tree.AddFile(relative, contents);
  LockedFile locked(tree.Path("a/locked.txt"));
  if (!locked.Held()) GTEST_SKIP() << locked.Why();

  std::map<std::string, std::string> expected = ExpectedCrcs(tree, files);
  expected[ListedName(tree.Path("a/locked.txt"))] = "CRCERROR";
  EXPECT_EQ(ListedCrcs(tree, {}), expected);
}

// "Ωmega.txt" shows as "?MEGA.TXT" on Win32, never as its lookalike
// "OMEGA.TXT"; "日本.txt" and "中国.txt" would both show as "??.TXT", so they
// are shown by their 8.3 aliases there. Every file gets its own CRC.
TEST(ExactNames, NamesThatShowAlikeEachGetTheirOwnCrc) {
  TempTree tree;
  const std::map<std::string, std::string> files = {
      {"Omega.txt", "first"}, {"Ωmega.txt", "second"}, {"日本.txt", "third"}, {"中国.txt", "fourth"}};
  for (const auto& [relative, contents] : files) tree.AddFile(relative, contents);
  const std::map<std::string, std::string> listed = ListedCrcs(tree, {});
  const std::map<std::string, std::string> expected = ExpectedCrcs(tree, files);

  for (const char* relative : {"Omega.txt", "Ωmega.txt"}) {
    const std::string name = ListedName(tree.Path(relative));
    EXPECT_EQ(listed.count(name) ? listed.at(name) : "not listed", expected.at(name)) << name;
  }
  std::vector<std::string> expectedCrcs;
  for (const auto& file : files) expectedCrcs.push_back(Hex(BitwiseCrc32(file.second)));
  std::sort(expectedCrcs.begin(), expectedCrcs.end());
  EXPECT_EQ(SortedCrcs(listed), expectedCrcs);
}

// Run where it stands, in a directory whose name the code page cannot hold
// (on Win32 it is shown by its 8.3 alias), the program lists that directory
// and reads the INI file in it.
TEST(ExactNames, DirectoryWhoseNameTheCodePageCannotHoldIsListedWhereTheRunStands) {
  TempTree tree;
  const std::map<std::string, std::string> files = {{"Ωmega/a.txt", "first"}, {"Ωmega/korven.ini", "[KORVEN]\n"}};
  for (const auto& [relative, contents] : files) tree.AddFile(relative, contents);
  RunResult result = RunKorven({"-v", "-w", std::to_string(kWidth)}, tree.Path("Ωmega"));
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(SortedCrcs(CrcByName(result.out)), SortedCrcs(ExpectedCrcs(tree, files)));
}

// A file in every directory of a chain whose deepest file's path, as the
// listing shows it, has 1,000 characters: longer than Win32's plain paths.
TEST(ExactNames, EveryFileOfATreeWhoseDeepestPathHasAThousandCharactersIsListed) {
  constexpr size_t kDeepest = 1000;
  TempTree tree;
  std::map<std::string, std::string> files;
  std::string directory;
  for (int level = 0; HostPath(tree.Path(directory)).size() + 51 + 100 < kDeepest; ++level) {
    files[directory + "f.txt"] = "level " + std::to_string(level);
    directory += "level" + std::to_string(100 + level) + std::string(42, 'x') + "/";
  }
  const size_t nameLength = kDeepest - HostPath(tree.Path(directory)).size();
  const std::string deepest = directory + std::string(nameLength - 4, 'y') + ".txt";
  files[deepest] = "deepest";
  ASSERT_EQ(HostPath(tree.Path(deepest)).size(), kDeepest);
  for (const auto& [relative, contents] : files) tree.AddFile(relative, contents);

  EXPECT_EQ(ListedCrcs(tree, {"-p", HostPath(tree.Root())}), ExpectedCrcs(tree, files));
}

}  // namespace
}  // namespace korven::e2e
