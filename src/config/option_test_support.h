// A run for the parser's tests: fake system, the real file system over
// temporary directories, and the message and listing streams in temporary files.
#ifndef KORVEN_CONFIG_OPTION_TEST_SUPPORT_H_
#define KORVEN_CONFIG_OPTION_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "config/defaults.h"
#include "config/option_parser.h"
#include "config/option_text.h"
#include "platform/file_system.h"
#include "run/run.h"
#include "run/terminate.h"
#include "testing/fake_system.h"

namespace korven {

inline std::string ReadWholeFile(FILE* file) {
  std::string text;
  fflush(file);
  rewind(file);
  int c;
  while ((c = fgetc(file)) != EOF) text += static_cast<char>(c);
  return text;
}

inline std::string ReadWholeFile(const std::string& path) {
  FILE* file = fopen(path.c_str(), "r");
  if (file == nullptr) return "";
  std::string text = ReadWholeFile(file);
  fclose(file);
  return text;
}

inline void WriteWholeFile(const std::string& path, const std::string& text) {
  FILE* file = fopen(path.c_str(), "w");
  if (file == nullptr) return;
  fputs(text.c_str(), file);
  fclose(file);
}

// A fresh, empty directory under the test's temporary directory, ending in "/".
inline std::string FreshDirectory(const std::string& name) {
  std::string dir = ::testing::TempDir() + "korven_options_" + name + "/";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

// A run with the environment and built-in defaults in place, as the driver
// hands it to the parser. Without a name its current and program directories
// do not exist, so no INI file is found; with one they are fresh and empty.
struct ParserRun {
  FakeSystem sys;
  // Its searches find names in any case, as the INI look-up wants.
  korven::Run run{RealFileSystem(), sys};
  FILE* message = tmpfile();
  FILE* listing = tmpfile();

  std::string home;  // holds cwd/ and bin/

  ParserRun() : home("/nonexistent-korven-test-dir/") { Prepare(); }
  explicit ParserRun(const std::string& name) : home(FreshDirectory(name)) {
    std::filesystem::create_directories(home + "cwd");
    std::filesystem::create_directories(home + "bin");
    Prepare();
  }
  // The driver's defaults; again after a test changed the environment.
  void Prepare() {
    run.fs.ForgetDirectories();  // a test may have written an INI file since the last search
    sys.currentDirectory = home + "cwd";
    sys.moduleFileName = home + "bin/korven";
    ApplyEnvironmentDefaults(run);
    ApplyBuiltInDefaults(run);
    run.moduleFileName = sys.moduleFileName;
    run.message = message;
    run.listing = listing;
  }
  ~ParserRun() {
    if (run.accounting != nullptr) fclose(run.accounting);
    fclose(message);
    fclose(listing);
  }

  // Parses `args` (without the program name); -1 when the parse ran through,
  // else the status the run ended with.
  int Parse(std::vector<std::string> args) {
    args.insert(args.begin(), "korven");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    try {
      ParseOptions(run, static_cast<int>(argv.size()), argv.data());
    } catch (const RunEnded& ended) {
      return ended.status;
    }
    return -1;
  }

  std::string Messages() { return ReadWholeFile(message); }
  std::string Listing() { return ReadWholeFile(listing); }
};

}  // namespace korven

#endif  // KORVEN_CONFIG_OPTION_TEST_SUPPORT_H_
