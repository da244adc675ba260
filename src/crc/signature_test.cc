#include "crc/signature.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <string>

#include "crc/file_crc.h"
#include "platform/file_system.h"
#include "run/run.h"
#include "run/terminate.h"
#include "testing/bitwise_crc.h"
#include "testing/memory_file_system.h"
#include "testing/test_run.h"

namespace korven {
namespace {

const char kPath[] = "/d/a.exe";

// The signature of `body` as -C writes it: its CRC-32 in hex, NUL-padded.
std::string SignatureOf(const std::string& body) {
  char hex[kSignatureSize + 1] = {};
  snprintf(hex, sizeof hex, "%X", BitwiseCrc32(body));
  return std::string(hex, kSignatureSize);
}

// A body whose CRC-32 has fewer than 8 hex digits.
std::string BodyWithShortCrc() {
  for (int i = 0;; ++i) {
    std::string body = "body " + std::to_string(i);
    if (BitwiseCrc32(body) < 0x10000000u) return body;
  }
}

class SignatureTest : public testing::Test {
 protected:

  // The file as the listing looked it up.
  FindEntry Listed(const std::string& contents) {
    fs_.AddFile(kPath, contents);
    FindEntry entry;
    EXPECT_TRUE(fs_.LookUp(kPath, &entry));
    return entry;
  }
  std::string Messages() { return t_.Messages(); }

  MemoryFileSystem fs_;
  TestRun t_{fs_};
  korven::Run& run_ = t_.run;
};

TEST_F(SignatureTest, AppendedSignatureIsTheHexCrcNulPaddedAndVerifies) {
  for (const std::string& body : {std::string("123456789"), BodyWithShortCrc(), std::string()}) {
    FindEntry file = Listed(body);
    EXPECT_EQ(AppendSignature(run_, kPath, file), SignatureChange::kChanged);
    EXPECT_EQ(fs_.Content(kPath), body + SignatureOf(body));
    EXPECT_TRUE(VerifySignature(run_, kPath)) << body;
  }
  EXPECT_EQ(SignatureOf("123456789"), "CBF43926");
  EXPECT_EQ(Messages(), "");
}

TEST_F(SignatureTest, FileThatAlreadyEndsInItsSignatureIsSignedOnce) {
  FindEntry file = Listed("123456789CBF43926");
  EXPECT_EQ(AppendSignature(run_, kPath, file), SignatureChange::kLeftAsItIs);
  EXPECT_EQ(fs_.Content(kPath), "123456789CBF43926");
  EXPECT_EQ(Messages(), "\n/d/a.exe already ends in its CRC-32 signature: left as it is\n");
}

TEST_F(SignatureTest, SignatureThatCanNotBeWrittenWholeLeavesTheFileAsItWas) {
  for (int64_t room : {0, 6}) {
    FindEntry file = Listed("123456789");
    fs_.roomLeft = room;
    EXPECT_EQ(AppendSignature(run_, kPath, file), SignatureChange::kFailed);
    EXPECT_EQ(fs_.Content(kPath), "123456789") << room;
  }
  EXPECT_NE(Messages().find("Can't write the signature to /d/a.exe: the file is as it was\n"), std::string::npos);
}

TEST_F(SignatureTest, VerifyExcludesExactlyTheLastEightBytesAtChunkBoundaries) {
  // Lengths around the reads, with the signature's bytes split across two
  // reads or ending one exactly.
  const size_t read = kCrcReadChunk - kSignatureSize;
  for (size_t total : {size_t{8}, size_t{9}, read, read + 4, read + 8, 2 * read + 8, 2 * read + 9}) {
    std::string body(total - 8, '\0');
    for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 7 + 3);
    char hex[9] = {};
    snprintf(hex, sizeof hex, "%x", BitwiseCrc32(body));  // lower-case digits are accepted
    fs_.AddFile(kPath, body + std::string(hex, 8));
    EXPECT_TRUE(VerifySignature(run_, kPath)) << total;
    fs_.AddFile(kPath, body + "0000000" + "1");
    EXPECT_FALSE(VerifySignature(run_, kPath)) << total;
  }
}

TEST_F(SignatureTest, VerifyFailsWithoutASignatureAndOnAFileItCannotRead) {
  fs_.AddFile("/d/plain.exe", "no signature here");
  fs_.AddFile("/d/tiny.exe", "1234");
  EXPECT_FALSE(VerifySignature(run_, "/d/plain.exe"));
  EXPECT_FALSE(VerifySignature(run_, "/d/tiny.exe"));
  EXPECT_FALSE(VerifySignature(run_, "/d/missing.exe"));
  EXPECT_NE(Messages().find("404\nCan't open /d/missing.exe for integrity check\n"), std::string::npos);
  EXPECT_EQ(fs_.openFiles(), 0);
}

TEST_F(SignatureTest, EraseCutsOnlyASignatureThatVerifies) {
  const std::string shortBody = BodyWithShortCrc();
  std::string lower = SignatureOf("program");
  for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  struct Case {
    std::string contents;
    std::string after;
  };
  const Case cases[] = {
      {"123456789CBF43926", "123456789"},
      {shortBody + SignatureOf(shortBody), shortBody},
      {"program" + lower, "program"},
      {"DEADBEEF", "DEADBEEF"},
      {"id=cafebabe", "id=cafebabe"},
      {"program" + std::string("ABC\0\0\0\0\0", 8), "program" + std::string("ABC\0\0\0\0\0", 8)},
      {"123456789CBF43927", "123456789CBF43927"},
      {"plain text file", "plain text file"},
      {"1234", "1234"},
      {"", ""},
  };
  for (const Case& c : cases) {
    FindEntry file = Listed(c.contents);
    const SignatureChange expected = c.after == c.contents ? SignatureChange::kLeftAsItIs : SignatureChange::kChanged;
    EXPECT_EQ(EraseSignature(run_, kPath, file), expected) << c.contents;
    EXPECT_EQ(fs_.Content(kPath), c.after) << c.contents;
  }
  EXPECT_NE(Messages().find("\n/d/a.exe holds no valid CRC-32 signature: left as it is\n"), std::string::npos);
}

TEST_F(SignatureTest, EraseCutsFromTheOpenFilesLength) {
  // Changed since it was listed, the file is judged as it is now: still
  // signed, it loses exactly its signature; grown past it, nothing.
  FindEntry file = Listed("123456789CBF43926");
  fs_.SetContent(kPath, "program" + SignatureOf("program"));
  EXPECT_EQ(EraseSignature(run_, kPath, file), SignatureChange::kChanged);
  EXPECT_EQ(fs_.Content(kPath), "program");

  file = Listed("123456789CBF43926");
  fs_.SetContent(kPath, "123456789CBF43926 and more");
  EXPECT_EQ(EraseSignature(run_, kPath, file), SignatureChange::kLeftAsItIs);
  EXPECT_EQ(fs_.Content(kPath), "123456789CBF43926 and more");
}

TEST_F(SignatureTest, FailedResizeIsReported) {
  FindEntry file = Listed("123456789CBF43926");
  fs_.failSetLength = true;
  EXPECT_EQ(EraseSignature(run_, kPath, file), SignatureChange::kFailed);
  EXPECT_EQ(fs_.Content(kPath), "123456789CBF43926");
  EXPECT_EQ(Messages(), "\n826  CRC32 - Error in resizing file\n");
}

TEST_F(SignatureTest, EraseRefusesFilesOfTwoGibibytesOrMore) {
  FindEntry file = Listed("123456789CBF43926");
  fs_.SetReportedSize(kPath, uint64_t{1} << 31);
  EXPECT_EQ(EraseSignature(run_, kPath, file), SignatureChange::kFailed);
  EXPECT_EQ(fs_.Content(kPath), "123456789CBF43926");
  EXPECT_EQ(Messages(), "\n/d/a.exe is 2 GiB or larger: its CRC-32 signature is not removed\n");
}

TEST_F(SignatureTest, OnlyTheFileListedIsChanged) {
  // A symbolic link is never opened; a file another took the place of since
  // it was listed is opened and left.
  FindEntry file = Listed("123456789CBF43926");
  FindEntry link = file;
  link.attributes |= kAttrReparsePoint;
  EXPECT_EQ(AppendSignature(run_, kPath, link), SignatureChange::kFailed);
  EXPECT_EQ(EraseSignature(run_, kPath, link), SignatureChange::kFailed);
  fs_.RemoveFile(kPath);
  fs_.AddFile(kPath, "123456789");
  EXPECT_EQ(AppendSignature(run_, kPath, file), SignatureChange::kFailed);
  fs_.AddFile(kPath, "123456789CBF43926");
  EXPECT_EQ(EraseSignature(run_, kPath, file), SignatureChange::kFailed);
  EXPECT_EQ(fs_.Content(kPath), "123456789CBF43926");
  EXPECT_EQ(Messages(),
            "\n/d/a.exe is a symbolic link: left as it is\n"
            "\n/d/a.exe is a symbolic link: left as it is\n"
            "\n/d/a.exe is no longer the file listed: left as it is\n"
            "\n/d/a.exe is no longer the file listed: left as it is\n");
  EXPECT_EQ(fs_.openFiles(), 0);
}

TEST_F(SignatureTest, InterruptWhileTheFileIsReadLeavesItAsItWas) {
  FindEntry file = Listed("123456789");
  t_.sys.interrupted = true;
  EXPECT_THROW(AppendSignature(run_, kPath, file), RunEnded);
  EXPECT_EQ(fs_.Content(kPath), "123456789");
  EXPECT_EQ(fs_.openFiles(), 0);
}

TEST_F(SignatureTest, AppendAndEraseReportFilesTheyCannotOpen) {
  FindEntry file = Listed("123456789CBF43926");
  fs_.failOpenForUpdate = {kPath};
  EXPECT_EQ(AppendSignature(run_, kPath, file), SignatureChange::kFailed);
  EXPECT_EQ(EraseSignature(run_, kPath, file), SignatureChange::kFailed);
  EXPECT_EQ(Messages(),
            "\n798 Can't open /d/a.exe for Signature creation\n"
            "\n820  Can't open /d/a.exe for removeing CRC-32 value\n");
}

}  // namespace
}  // namespace korven
