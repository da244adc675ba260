#include "crc/signature.h"

#include <gtest/gtest.h>

#include <cstring>

#include "testing/test_run.h"
#include "testing/bitwise_crc.h"

namespace korven {
namespace {

TEST(Signature, AppendedSignatureIsTheHexCrcAndVerifies) {
  TestRun t;
  TempDir dir;
  const std::string body = "123456789";
  const std::string path = dir.Write("a.exe", body);
  AppendSignature(t.run, path, BitwiseCrc32(body));
  EXPECT_EQ(dir.Read("a.exe"), body + "CBF43926");
  EXPECT_TRUE(VerifySignature(t.run, path));
}

TEST(Signature, ShortCrcIsNulPaddedAndStillVerifies) {
  TestRun t;
  TempDir dir;
  std::string body;
  for (int i = 0;; ++i) {
    body = "body " + std::to_string(i);
    if (BitwiseCrc32(body) < 0x10000000u) break;
  }
  const std::string path = dir.Write("b.exe", body);
  AppendSignature(t.run, path, BitwiseCrc32(body));
  char hex[9];
  const int digits = snprintf(hex, sizeof hex, "%X", BitwiseCrc32(body));
  ASSERT_LT(digits, 8);
  const std::string expected = body + hex + std::string(static_cast<size_t>(8 - digits), '\0');
  EXPECT_EQ(dir.Read("b.exe"), expected);
  EXPECT_TRUE(VerifySignature(t.run, path));
}

TEST(Signature, VerifyExcludesExactlyTheLastEightBytesAtChunkBoundaries) {
  // Lengths around the 60,000-byte reads, with the signature's bytes split
  // across two reads or ending one exactly.
  for (size_t total : {8u, 9u, 60000u, 60004u, 60008u, 120000u}) {
    TestRun t;
    TempDir dir;
    std::string body(total - 8, '\0');
    for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 7 + 3);
    char hex[9] = {};
    snprintf(hex, sizeof hex, "%x", BitwiseCrc32(body));  // lower-case digits are accepted
    std::string signature(hex, 8);
    const std::string path = dir.Write("c.exe", body + signature);
    EXPECT_TRUE(VerifySignature(t.run, path)) << total;
    const std::string spoiled = dir.Write("d.exe", body + "0000000" + "1");
    EXPECT_FALSE(VerifySignature(t.run, spoiled)) << total;
  }
}

TEST(Signature, VerifyFailsWithoutASignatureAndOnAFileItCannotRead) {
  TestRun t;
  TempDir dir;
  EXPECT_FALSE(VerifySignature(t.run, dir.Write("plain.exe", "no signature here")));
  EXPECT_FALSE(VerifySignature(t.run, dir.Write("tiny.exe", "1234")));
  EXPECT_FALSE(VerifySignature(t.run, dir.Path() + "missing.exe"));
  EXPECT_NE(t.Messages().find("404\nCan't open " + dir.Path() + "missing.exe for integrity check\n"),
            std::string::npos);
}

TEST(Signature, EraseCutsOnlyWhatLooksLikeASignature) {
  struct Case {
    std::string contents;
    std::string after;
  };
  const Case cases[] = {
      {"program" + std::string("CBF43926"), "program"},
      {"program" + std::string("ABC\0\0\0\0\0", 8), "program"},
      {"program" + std::string("abc\0\0\0\0\0", 8), "program"},
      {"program" + std::string("ABC\0\0\0X\0", 8), "program" + std::string("ABC\0\0\0X\0", 8)},
      {"plain text file", "plain text file"},
      {"GHIJKLMN", "GHIJKLMN"},
      {"1234", "1234"},
  };
  for (const Case& c : cases) {
    TestRun t;
    TempDir dir;
    const std::string path = dir.Write("e.exe", c.contents);
    EraseSignature(t.run, path, c.contents.size());
    EXPECT_EQ(dir.Read("e.exe"), c.after) << c.contents;
    const bool told = t.Messages().find("holds no CRC-32 signature") != std::string::npos;
    EXPECT_EQ(told, c.after == c.contents) << c.contents;
  }
}

TEST(Signature, EraseRefusesFilesOfTwoGibibytesOrMore) {
  TestRun t;
  TempDir dir;
  const std::string path = dir.Write("big.exe", "programCBF43926");
  EraseSignature(t.run, path, uint64_t{1} << 31);
  EXPECT_EQ(dir.Read("big.exe"), "programCBF43926");
  EXPECT_NE(t.Messages().find("2 GiB or larger"), std::string::npos);
}

TEST(Signature, AppendAndEraseReportFilesTheyCannotOpen) {
  TestRun t;
  TempDir dir;
  const std::string missing = dir.Path() + "none.exe";
  AppendSignature(t.run, missing, 1);
  EraseSignature(t.run, missing, 20);
  const std::string messages = t.Messages();
  EXPECT_NE(messages.find("\n798 Can't open " + missing + " for Signature creation\n"), std::string::npos);
  EXPECT_NE(messages.find("\n820  Can't open " + missing + " for removeing CRC-32 value\n"), std::string::npos);
}

}  // namespace
}  // namespace korven
