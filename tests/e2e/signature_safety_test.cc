// What -C and -E never do to a user's file: cut what is no signature, sign a
// file twice, or write through a symbolic link.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

#include "harness.h"

namespace korven::e2e {
namespace {

// "hello world" and its signature: CRC-32 0D4A1185, seven digits and a NUL.
const std::string kBody = "hello world";
const std::string kSigned = kBody + std::string("D4A1185\0", 8);

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

bool Says(const RunResult& result, const TempTree& tree, const std::string& name, const std::string& what) {
  return result.err.find(HostPath(tree.Path(name)) + " " + what) != std::string::npos;
}

// The record of `name` in the listing; empty when it has none.
std::string RecordOf(const RunResult& result, const TempTree& tree, const std::string& name) {
  size_t start = result.out.find(ListedName(tree.Path(name)) + " ");
  if (start == std::string::npos) return "";
  return result.out.substr(start, result.out.find('\n', start) - start);
}

long Records(const RunResult& result) { return std::count(result.out.begin(), result.out.end(), '\n'); }

TEST(SignatureSafety, EraseLeavesEveryFileWithoutAVerifyingSignatureAsItIs) {
  TempTree tree;
  const std::pair<const char*, std::string> unsigned_[] = {
      {"deadbeef.exe", "DEADBEEF"},
      {"id.exe", "id=cafebabe"},
      {"form.exe", std::string("programABC\0\0\0\0\0", 15)},  // the form of a signature, not its value
      {"grown.exe", kSigned + "and then it grew"},
  };
  for (const auto& [name, contents] : unsigned_) tree.AddFile(name, contents);
  tree.AddFile("signed.exe", kSigned);
  RunResult result = RunKorven({"-E", "-v"}, tree.Root());
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(Records(result), 5) << result.out;
  for (const auto& [name, contents] : unsigned_) {
    EXPECT_EQ(Contents(tree.Path(name)), contents) << name;
    EXPECT_TRUE(Says(result, tree, name, "holds no valid CRC-32 signature: left as it is")) << result.err;
  }
  EXPECT_EQ(Contents(tree.Path("signed.exe")), kBody);
}

TEST(SignatureSafety, FileMatchedByTwoTypesIsSignedOnce) {
  TempTree tree;
  tree.AddFile("p.exe", kBody);
  RunResult result = RunKorven({"-f", "*.*", "*.EXE", "-C", "-v"}, tree.Root());
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(Records(result), 2) << result.out;
  EXPECT_EQ(Contents(tree.Path("p.exe")), kSigned);
  EXPECT_TRUE(Says(result, tree, "p.exe", "already ends in its CRC-32 signature: left as it is")) << result.err;
}

TEST(SignatureSafety, FileReachedThroughTwoHardLinksIsSignedOnce) {
  TempTree tree;
  tree.AddFile("a.exe", kBody);
  ASSERT_EQ(link(tree.Path("a.exe").c_str(), tree.Path("b.exe").c_str()), 0);
  RunResult result = RunKorven({"-C", "-v"}, tree.Root());
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(Contents(tree.Path("a.exe")), kSigned);
  EXPECT_EQ(Contents(tree.Path("b.exe")), kSigned);
}

TEST(SignatureSafety, FileBehindASymbolicLinkIsListedAndNeverChanged) {
  if (UnderWine()) GTEST_SKIP() << "Wine shows a host symbolic link as the file it points to";
  TempTree tree;
  TempTree outside;
  outside.AddFile("plain.exe", kBody);
  outside.AddFile("signed.exe", kSigned);
  ASSERT_EQ(symlink(outside.Path("plain.exe").c_str(), tree.Path("plain.exe").c_str()), 0);
  ASSERT_EQ(symlink(outside.Path("signed.exe").c_str(), tree.Path("signed.exe").c_str()), 0);
  for (const char* option : {"-C", "-E"}) {
    RunResult result = RunKorven({option, "-v"}, tree.Root());
    // Nothing was signed or erased as asked: the run says so in its status.
    EXPECT_EQ(result.status, 1) << option;
    EXPECT_NE(RecordOf(result, tree, "plain.exe").find(" 0D4A1185          11 "), std::string::npos) << result.out;
    EXPECT_TRUE(Says(result, tree, "plain.exe", "is a symbolic link: left as it is")) << result.err;
    EXPECT_TRUE(Says(result, tree, "signed.exe", "is a symbolic link: left as it is")) << result.err;
    EXPECT_EQ(Contents(outside.Path("plain.exe")), kBody) << option;
    EXPECT_EQ(Contents(outside.Path("signed.exe")), kSigned) << option;
  }
}

}  // namespace
}  // namespace korven::e2e
