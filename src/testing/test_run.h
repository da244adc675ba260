// A run for unit tests, set up as the driver sets it up before the options
// are read: the environment and built-in defaults applied, a fixed clock in
// a zone five hours behind UTC ("EST"), the listing and message streams in
// temporary files. The file system is the machine's unless a test hands in
// one of its own.
#ifndef KORVEN_TESTING_TEST_RUN_H_
#define KORVEN_TESTING_TEST_RUN_H_

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "run/run.h"
#include "testing/fake_system.h"
#include "testing/temp_dir.h"

namespace korven {

// Seconds since 1970 of a UTC calendar time.
int64_t UtcSeconds(int year, int month, int day, int hour, int minute, int second);

struct TestRun {
  explicit TestRun(FileSystem& fileSystem = RealFileSystem());
  ~TestRun();
  TestRun(const TestRun&) = delete;
  TestRun& operator=(const TestRun&) = delete;

  // The defaults again, after the test changed the environment or the files.
  void ApplyDefaults();

  // Gives the run a fresh home directory holding its current directory
  // "cwd/" and its program's directory "bin/". Without one both are names
  // that do not exist, so that no INI file is ever found.
  void MakeHome();
  // The home directory ("" without one), ending in '/'.
  std::string Home() const { return home ? home->Path() : ""; }

  // Reads `args` (without the program name) as the command line; -1 when the
  // parse ran through, else the status the run ended with.
  int Parse(std::vector<std::string> args);

  std::string Listing() { return ReadAll(run.listing); }
  std::string Messages() { return ReadAll(run.message); }

  FakeSystem sys;
  korven::Run run;
  std::unique_ptr<TempDir> home;

 private:
  FILE* listing_;
  FILE* message_;
};

}  // namespace korven

#endif  // KORVEN_TESTING_TEST_RUN_H_
