#include "driver/driver.h"

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "platform/path.h"
#include "run/run.h"
#include "run/terminate.h"
#include "testing/fake_system.h"
#include "testing/memory_file_system.h"

namespace korven {
namespace {

TEST(NormaliseSearchPathTest, AddsSeparatorAndUpperCasesOnlyADriveLetter) {
  const std::string sep(1, kPathSeparator);
  struct Case {
    std::string in;
    std::string out;
  } cases[] = {
      {"docs", "docs" + sep},
      {"docs" + sep, "docs" + sep},
      {"c:" + sep + "work", std::string(kHasDriveLetters ? "C" : "c") + ":" + sep + "work" + sep},
      {sep, sep},
  };
  for (Case& c : cases) {
    std::string path = c.in;
    NormaliseSearchPath(path);
    EXPECT_EQ(path, c.out) << c.in;
  }
}

// A file system whose directory searches find memory exhausted.
class ExhaustedFileSystem : public MemoryFileSystem {
 public:
  bool FindFiles(const std::string&, const std::string&, FindDetail, std::vector<FindEntry>*) override {
    throw std::bad_alloc();
  }
};

TEST(RunProgramTest, MemoryRunningOutEndsTheRunWithReasonSix) {
  const std::string dir = std::string(1, kPathSeparator) + "d";
  ExhaustedFileSystem fileSystem;
  fileSystem.AddFile(dir + kPathSeparator + "a.txt", "a");
  FakeSystem system;
  korven::Run run(fileSystem, system);
  std::vector<std::string> args = {"korven", dir, "-v", "-i"};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());

  testing::internal::CaptureStderr();
  int status = -1;
  try {
    RunProgram(run, static_cast<int>(argv.size()), argv.data());
  } catch (const RunEnded& ended) {
    status = ended.status;
  }
  const std::string messages = testing::internal::GetCapturedStderr();
  EXPECT_EQ(status, kInsufficientMemory);
  EXPECT_NE(messages.find("\nSource File run/driver, Line #: "), std::string::npos) << messages;
  EXPECT_NE(messages.find(",  memory error\nAbnormal termination. Reason: INSUFFICIENT MEMORY\n\n"),
            std::string::npos)
      << messages;
}

}  // namespace
}  // namespace korven
