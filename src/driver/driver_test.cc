#include "driver/driver.h"

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <utility>
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

// Runs the program on `fs` and `system` with `args`; the exit status and
// what went to the message stream.
std::pair<int, std::string> RunWith(FileSystem& fs, FakeSystem& system, std::vector<std::string> args) {
  korven::Run run(fs, system);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  testing::internal::CaptureStderr();
  int status = -1;
  try {
    RunProgram(run, static_cast<int>(argv.size()), argv.data());
  } catch (const RunEnded& ended) {
    status = ended.status;
  }
  return {status, testing::internal::GetCapturedStderr()};
}

TEST(RunProgramTest, MemoryRunningOutEndsTheRunWithReasonSix) {
  const std::string dir = std::string(1, kPathSeparator) + "d";
  ExhaustedFileSystem fileSystem;
  fileSystem.AddFile(dir + kPathSeparator + "a.txt", "a");
  FakeSystem system;
  auto [status, messages] = RunWith(fileSystem, system, {"korven", dir, "-v", "-i"});
  EXPECT_EQ(status, kInsufficientMemory);
  EXPECT_NE(messages.find("\nSource File run/driver, Line #: "), std::string::npos) << messages;
  EXPECT_NE(messages.find(",  memory error\nAbnormal termination. Reason: INSUFFICIENT MEMORY\n\n"),
            std::string::npos)
      << messages;
}

TEST(RunProgramTest, PathsTooLongForTheirBuffersAreRefusedNeverCut) {
  // The current directory (2600 characters) and the program's path (260),
  // beside which the INI file is looked for.
  const std::string dir(1, kPathSeparator);
  struct Case {
    size_t cwd;
    size_t program;
    int status;
    const char* message;
  };
  const Case cases[] = {
      {2600, 260, kNormalExit, ""},
      {2601, 260, kNonSpecificError, "\nThe current directory is longer than 2600 characters: name it as a search path\n"},
      {2600, 261, kNonSpecificError, "\nThe program's path is longer than 260 characters: "},
  };
  for (const Case& c : cases) {
    MemoryFileSystem fs;
    FakeSystem system;
    system.currentDirectory = dir + std::string(c.cwd - 1, 'c');
    system.moduleFileName = dir + std::string(c.program - 1, 'p');
    fs.AddDirectory(system.currentDirectory);
    fs.AddFile(system.currentDirectory + dir + "a.txt", "a");
    auto [status, messages] = RunWith(fs, system, {"korven", "-v"});
    EXPECT_EQ(status, c.status) << c.cwd << " " << c.program;
    EXPECT_NE(messages.find(c.message), std::string::npos) << messages;
  }
}

}  // namespace
}  // namespace korven
